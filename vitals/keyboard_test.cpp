#include "vitals/keyboard_test.h"

#include "bridge/gdi.h"
#include "bridge/localization.h"
#include "vitals/screen_fields.h"
#include "vitals/screen_layout.h"

namespace {

constexpr int kRowDescription = 2, kRowType = 6, kRowRedirection = 9, kRowHeld = 10, kRowPots = 11;
constexpr int kRightShift = 322, kCell = 16, kFieldChars = 40;

uint32_t Untouched() { return Colour(BARVA_TMAVSI); }
uint32_t Held() { return Colour(BARVA_ZLUTA); }
uint32_t Tested() { return Colour(BARVA_T12); }

void Text(const KeyboardTest& t, int row, const char* text, int columns, int rows = 1) {
  DisplayTextScreen(PackPoint(t.text_x, RowY(row)), DisplayExtent(columns, rows), AreaInk(), AreaPaper(), 2);
  DisplayWriteText(text);
}

// A field cleared to its width before the text goes in.
void Field(const KeyboardTest& t, int row, const char* text) {
  DisplaySetColors(AreaPaper(), AreaPaper());
  ScreenFill(t.text_x, RowY(row), kCharWidth * kFieldChars, kRowStep);
  if (text != nullptr) Text(t, row, text, kFieldChars);
}

void DrawCell(const KeyCell& key, uint32_t colour) {
  int x = static_cast<int>(key.position & 0xFFFF), y = static_cast<int>(key.position >> 16);
  DisplaySetColors(colour, colour);
  ScreenFill(x, y, kCell, kCell);
  char label[2] = {static_cast<char>(key.label), 0};
  DisplayTextScreen(PackPoint(x + 4, y), DisplayExtent(1, 1), AreaInk(), colour, 2);
  DisplayWriteText(label);
  DisplaySetColors(Colour(BARVA_T13), Colour(BARVA_T13));
  uint32_t tl = PackPoint(x, y), tr = PackPoint(x + kCell - 1, y);
  uint32_t bl = PackPoint(x, y + kCell - 1), br = PackPoint(x + kCell - 1, y + kCell - 1);
  DisplayLine(tl, tr, 0xFFFF);
  DisplayLine(tr, br, 0xFFFF);
  DisplayLine(br, bl, 0xFFFF);
  DisplayLine(bl, tl, 0xFFFF);
}

bool IsKey(const KeyboardTest& t, uint32_t number) {
  return t.map != nullptr && number < static_cast<uint32_t>(t.map->count) && t.map->keys[number].label != kNoKey;
}

}  // namespace

void KeyboardPrefix(KeyboardTest* t, const _LPTESTTLAC* record) {
  for (KeyFlags& f : t->flags) f = {};
  t->map = nullptr;
  t->map_drawn = false;
  if (record == nullptr) return;
  t->map = KeyMapOf(record->keyboard);
  t->map_drawn = record->layout == 'C' && t->map != nullptr;
  t->text_x = 16 + (record->layout == 'P' ? kRightShift : 0);
  if (!ServiceBind()) return;
  ScreenArea a = LooseArea(record->layout);
  ClearArea(a);
  DisplayTextScreen(PackPoint(t->text_x, RowY(0)), DisplayExtent(kFieldChars, 1), AreaPaper(), Colour(BARVA_T13), 2);
  DisplayWriteText(LocText(450));
  Text(*t, kRowDescription, LocText(451), kFieldChars, 3);
  char type[5] = {'[', record->keyboard, ']', 0, 0};
  if (type[1] < 0x20) type[1] = '?';
  Text(*t, kRowType, type, 4);
  DisplayTextScreen(PackPoint(t->text_x + 5 * kCharWidth, RowY(kRowType)), DisplayExtent(kFieldChars - 5, 2),
                    AreaInk(), AreaPaper(), 2);
  DisplayWriteText(LocText(t->map != nullptr ? t->map->text : 461));
  if (!t->map_drawn) return;
  for (int i = 0; i < t->map->count; ++i)
    if (t->map->keys[i].label != kNoKey) DrawCell(t->map->keys[i], Untouched());
}

void KeyboardCont(KeyboardTest* t, const _LPTESTTLAC* record) {
  if (record == nullptr) return;
  bool bound = ServiceBind();
  if (bound) {
    Field(*t, kRowRedirection, record->redirection <= 2 ? LocText(452u + record->redirection) : nullptr);
    char line[kFieldChars + 1];
    TextBuffer b = MakeTextBuffer(line, sizeof line);
    for (int k = 0; k < 4; ++k) {
      if (IsKey(*t, record->held[k])) AppendZeroPadded(&b, record->held[k], 3);
      else TextAppend(&b, "---");
      TextAppend(&b, "  ");
    }
    Field(*t, kRowHeld, line);
    b = MakeTextBuffer(line, sizeof line);
    AppendZeroPadded(&b, record->potentiometer[0], 5);
    TextAppend(&b, "  ");
    AppendZeroPadded(&b, record->potentiometer[1], 5);
    Field(*t, kRowPots, line);
  }
  if (t->map == nullptr) return;
  for (KeyFlags& f : t->flags) f.held = false;
  for (int k = 0; k < 4; ++k)
    if (IsKey(*t, record->held[k])) t->flags[record->held[k]].held = true;
  for (int i = 0; i < t->map->count; ++i) {
    KeyFlags& f = t->flags[i];
    if (f.held && !f.drawn_held) {
      f.drawn_held = true;
      if (bound && t->map_drawn) DrawCell(t->map->keys[i], Held());
    } else if (f.drawn_held && !f.held) {
      f.drawn_held = false;
      f.tested = true;
      if (bound && t->map_drawn) DrawCell(t->map->keys[i], Tested());
    }
  }
}
