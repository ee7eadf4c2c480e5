// The preprocessor's screen area: a frame, the status line, the error line,
// the screen fields and the operator's input. Everything is drawn through
// the clipped primitives, with the clip window set to the area, so nothing
// lands outside it.
#include <string.h>

#include "bridge/gdi.h"
#include "bridge/localization.h"
#include "bridge/text_buffer.h"
#include "norvik/number_text.h"
#include "norvik/preprocessor.h"

namespace {

constexpr uint32_t kLineChars = 160;
constexpr int32_t kCell = 8;

// The width of the status and error lines in characters: the area's width
// in cells less 16, never negative and never beyond the line buffer.
uint32_t LineWidth(const Preprocessor* p) {
  int32_t w = (p->right - p->left) / kCell - 16;
  if (w < 0) return 0;
  if (w > static_cast<int32_t>(kLineChars) - 1) return kLineChars - 1;
  return static_cast<uint32_t>(w);
}

// A text of the table; without a table (a failed LocalizationInit) its
// number stands in for it.
void AppendText(TextBuffer* b, uint32_t id) {
  const char* text = LocText(id);
  if (text != nullptr) {
    TextAppend(b, text);
  } else {
    TextAppendChar(b, '#');
    TextAppendUnsigned(b, id);
  }
}

void SetClip(const Preprocessor* p) { GdiSetClip(p->left, p->top, p->right, p->bottom); }

void DrawLine(Preprocessor* p, int32_t y, const char* text, uint32_t foreground,
              uint32_t background) {
  uint32_t width = LineWidth(p);
  if (width == 0) return;
  SetClip(p);
  GdiText(p->left + kCell, y, width, 1, foreground, background, 2);
  GdiWriteText(text);
}

}  // namespace

int32_t FieldX(const Preprocessor* p, int32_t column) { return p->left + kCell * column + kCell; }
int32_t FieldY(const Preprocessor* p, int32_t row) { return p->top + 16 * row + 48; }

void DrawFrame(Preprocessor* p) {
  SetClip(p);
  GdiSetColors(CLR_FILL, CLR_FILL);
  GdiFillRectClipped(p->left, p->top, p->right, p->bottom);
  GdiSetColors(CLR_P2, CLR_P2);
  GdiFillRectClipped(p->left + 4, p->top + 4, p->right - 4, p->top + 24);
  DrawStatus(p);
}

void DrawStatus(Preprocessor* p) {
  uint32_t width = LineWidth(p);
  char text[kLineChars + 16];
  TextBuffer b = MakeTextBuffer(text, kLineChars);
  const LineFile* f = p->depth > 0 ? &p->stack[p->depth - 1] : &p->stack[0];
  AppendText(&b, kTextFile);
  TextAppendChar(&b, ':');
  TextAppend(&b, f->name);
  TextAppend(&b, "  ");
  AppendText(&b, kTextLine);
  TextAppendChar(&b, ':');
  TextAppendUnsigned(&b, f->line_number);
  uint32_t message = static_cast<uint32_t>(strlen(p->last_message));
  if (b.length + message < width) TextAppendRepeat(&b, ' ', width - message - b.length);
  TextAppend(&b, p->last_message);
  TextAppendRepeat(&b, ' ', 13);
  if (b.length > width) text[width] = '\0';
  DrawLine(p, p->top + 6, text, CLR_BLACK, CLR_P2);
}

void DrawError(Preprocessor* p) {
  char text[kLineChars];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  AppendText(&b, p->error);
  switch (p->error) {
    case kErrExpression:
      TextAppendChar(&b, ' ');
      AppendText(&b, kTextAtChar);
      TextAppendChar(&b, ' ');
      TextAppendUnsigned(&b, p->error_detail);
      break;
    case kErrCreate:
      TextAppend(&b, p->create_target == CreateTarget::kTemp ? " TEMP" : " DESTINATION");
      break;
    case kErrParameter:
      TextAppend(&b, " (");
      TextAppendUnsigned(&b, p->error_detail);
      TextAppendChar(&b, ')');
      break;
    case kErrLabelMissing:
      TextAppendChar(&b, ' ');
      TextAppendUnsigned(&b, p->error_detail);
      break;
    default:
      break;
  }
  DrawStatus(p);
  DrawLine(p, p->top + 32, text, CLR_RED, CLR_FILL);
}

void DrawText(Preprocessor* p, int32_t x, int32_t y, const char* text, uint32_t pad_to) {
  char padded[kLineChars];
  TextBuffer b = MakeTextBuffer(padded, sizeof padded);
  TextAppend(&b, text);
  if (b.length < pad_to) TextAppendRepeat(&b, ' ', pad_to - b.length);
  SetClip(p);
  GdiText(x, y, b.length, 1, CLR_BLACK, CLR_FILL, 2);
  GdiWriteText(padded);
}
