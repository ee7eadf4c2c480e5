// Drawing the file manager panel through the graphics table: the path and
// sort line, the column header and one line per visible entry.
#include <string.h>

#include "anvil/file_panel.h"
#include "anvil/panel_texts.h"
#include "bridge/gdi.h"
#include "bridge/localization.h"
#include "bridge/text_buffer.h"

namespace anvil {
namespace {

constexpr int32_t kCell = 8;
constexpr int32_t kFont = 2;
constexpr int32_t kFirstRow = 37;
constexpr int32_t kRowPitch = 16;

int32_t Width(const char* text) { return text != nullptr ? static_cast<int32_t>(strlen(text)) * kCell : 0; }

void WindowClip(const _DIR_INFO& i) { GdiSetClip(i.left, i.top, i.right, i.bottom); }

// Text whose last cell ends at x (exclusive).
void TextEndingAt(int32_t x, int32_t y, const char* text, uint32_t fg, uint32_t bg) {
  int32_t w = Width(text);
  GdiText(x - w, y, static_cast<uint32_t>(w / kCell), 1, fg, bg, kFont);
  GdiWriteText(text);
}

uint32_t SortNameText(uint8_t mode) {
  switch (mode) {
    case 2: return kTextSortDate;
    case 3: return kTextSortCombined;
    case 4: return kTextSortProgram;
    default: return kTextSortFile;
  }
}

void TwoDigits(TextBuffer* b, uint32_t v) {
  TextAppendChar(b, static_cast<char>('0' + v / 10 % 10));
  TextAppendChar(b, static_cast<char>('0' + v % 10));
}

int32_t RowY(const Panel& p, uint32_t row) {
  return p.info->top + kFirstRow + static_cast<int32_t>(row) * kRowPitch;
}

}  // namespace

void DrawHeader(Panel& p) {
  const _DIR_INFO& i = *p.info;
  WindowClip(i);
  GdiSetColors(CLR_T14, CLR_T14);
  GdiFillRectClipped(i.left + 5, i.top + 5, i.right - 5, i.top + 20);
  char sort[40];
  TextBuffer b = MakeTextBuffer(sort, sizeof sort);
  TextAppend(&b, LocText(p.name_column == 2 ? kTextSortProgram : kTextSortFile));
  TextAppendChar(&b, '/');
  TextAppend(&b, LocText(SortNameText(p.sort_mode)));
  int32_t path_columns = (i.right - 5 - Width(sort) - (i.left + 5)) / kCell - 1;
  GdiText(i.left + 5, i.top + 5, path_columns > 0 ? static_cast<uint32_t>(path_columns) : 0, 1,
          CLR_WHITE, CLR_T14, kFont);
  GdiWriteText(i.path);
  TextEndingAt(i.right - 5, i.top + 5, sort, CLR_WHITE, CLR_T14);
  GdiSetColors(CLR_WHITE, CLR_WHITE);
  GdiFillRectClipped(i.left + 5, i.top + 21, i.right - 5, i.top + 36);
  GdiText(i.left + 5, i.top + 21, 1000, 1, CLR_GREEN, CLR_WHITE, kFont);
  GdiWriteText(LocText(kTextName));
  TextEndingAt(i.right - 5, i.top + 21, LocText(kTextTime), CLR_GREEN, CLR_WHITE);
  TextEndingAt(i.right - 5 - 48, i.top + 21, LocText(kTextDate), CLR_GREEN, CLR_WHITE);
  TextEndingAt(i.right - 5 - 120, i.top + 21, LocText(kTextLength), CLR_GREEN, CLR_WHITE);
}

void DrawReadingNames(Panel& p, uint32_t percent) {
  const _DIR_INFO& i = *p.info;
  WindowClip(i);
  char text[48];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, LocText(kTextReadingNames));
  TextAppendChar(&b, ' ');
  TextAppendUnsigned(&b, percent);
  TextAppend(&b, "% ");
  TextEndingAt(i.right - 5, i.top + 5, text, CLR_YELLOW, CLR_T14);
}

void DrawRow(Panel& p, uint32_t index) {
  const _DIR_INFO& i = *p.info;
  if (index < p.first_visible || index >= p.first_visible + p.visible_rows) return;
  int32_t y = RowY(p, index - p.first_visible);
  WindowClip(i);
  bool cursor = index == p.cursor;
  uint32_t bg = cursor ? CLR_P2 : CLR_WHITE;
  GdiSetColors(bg, bg);
  GdiFillRectClipped(i.left + 5, y, i.right - 5, y + 14);
  if (index >= p.count) return;
  const DirEntry& e = p.entries[index];
  uint32_t fg = (e.flags & kEntrySelected) ? CLR_RED : CLR_BLACK;
  int32_t name_columns = (i.right - 205 - (i.left + 5)) / kCell - 1;
  GdiText(i.left + 5, y, name_columns > 0 ? static_cast<uint32_t>(name_columns) : 0, 1, fg, bg, kFont);
  GdiWriteText(p.name_column == 2 ? e.long_name : e.short_name);
  GdiText(i.right - 237, y, 3, 1, fg, bg, kFont);
  GdiWriteText(e.extension);
  char text[24];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  if (e.flags & kEntryDirectory) TextAppend(&b, "[DIR]");
  else TextAppendUnsigned(&b, e.size);
  char field[11];
  TextBuffer f = MakeTextBuffer(field, sizeof field);
  TextAppendRepeat(&f, ' ', b.length < 10 ? 10 - b.length : 0);
  TextAppend(&f, text);
  GdiText(i.right - 125 - 10 * kCell, y, 10, 1, fg, bg, kFont);
  GdiWriteText(field);
  b = MakeTextBuffer(text, sizeof text);
  TwoDigits(&b, e.day);
  TextAppendChar(&b, '.');
  TwoDigits(&b, e.month);
  TextAppendChar(&b, '.');
  // Two digits of the year: four would run into the time column, which
  // starts 72 pixels after the date.
  if (e.year == kYearRecent) TextAppend(&b, "  ");
  else TwoDigits(&b, e.year % 100);
  GdiText(i.right - 117, y, 8, 1, fg, bg, kFont);
  GdiWriteText(text);
  b = MakeTextBuffer(text, sizeof text);
  TwoDigits(&b, e.hour);
  TextAppendChar(&b, ':');
  TwoDigits(&b, e.minute);
  GdiText(i.right - 45, y, 5, 1, fg, bg, kFont);
  GdiWriteText(text);
}

void DrawRows(Panel& p) {
  for (uint32_t r = 0; r < p.visible_rows; ++r) DrawRow(p, p.first_visible + r);
}

void DrawDialog(Panel& p) {
  if (p.dialog != nullptr) DialogDraw(p.dialog);
}

void DrawPanel(Panel& p) {
  const _DIR_INFO& i = *p.info;
  WindowClip(i);
  GdiSetColors(CLR_WHITE, CLR_WHITE);
  GdiFillRectClipped(i.left, i.top, i.right, i.bottom);
  DrawHeader(p);
  DrawRows(p);
  DrawDialog(p);
}

}  // namespace anvil
