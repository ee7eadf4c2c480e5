// The technology screens' prefix and data calls: section search, field
// registration, editing of instance 1's fields and the hand-over of a
// changed entry to the host.
#include <string.h>

#include "bridge/display.h"
#include "tracer/display_point.h"
#include "tracer/technol.h"

namespace {

constexpr uint32_t kTextFont = 38;
constexpr int kPictureSizeWord = 36, kPictureDrawWord = 52;
constexpr uint8_t kKeyNext = 1, kKeyPrevious = 2, kKeyPoint = 43, kKeyEmpty = 46, kKeySign = 63;

int Instance(const STRUCT_TRACER* r) {
  return r->technolInstance >= 1 && r->technolInstance <= kTechnolInstances ? r->technolInstance - 1 : -1;
}
uint8_t InByte(const STRUCT_TRACER* r, int i) { return r->technolInput != nullptr ? r->technolInput[i] : 0; }
void OutByte(const STRUCT_TRACER* r, int i, uint8_t v) {
  if (r->technolOutput != nullptr) r->technolOutput[i] = v;
}
void OutU16(const STRUCT_TRACER* r, int i, uint16_t v) {
  OutByte(r, i, static_cast<uint8_t>(v));
  OutByte(r, i + 1, static_cast<uint8_t>(v >> 8));
}

int Pixel(uint16_t v, int cell) { return v >= kTechnolPixel ? v - kTechnolPixel : v * cell; }
bool Editable(const TechnolField& f) { return f.type != 'O' && f.kind != 'P'; }
bool Picture(const TechnolField& f) { return f.kind == 'P' && (f.type == 'I' || f.type == 'V'); }
int Decimals(const TechnolField& f) { return f.decimals > 5 ? 0 : f.decimals; }

uint32_t Word(int word) {
  if (g_display.dispatch == nullptr || g_display.block == nullptr) return 0;
  return RecordGet<uint32_t>(g_display.block, 4u * static_cast<uint32_t>(word));
}

void DrawPicture(const STRUCT_TRACER* r, const TechnolField& f) {
  const uint32_t size_word = Word(kPictureSizeWord), draw_word = Word(kPictureDrawWord);
  if (size_word == 0 || draw_word == 0 || f.decimals == 0) return;
  const uint32_t number = f.decimals - 1u;
  if (g_display.dispatch(size_word, 2, r->technolPictures, number) == 0) return;  // no such picture
  g_display.dispatch(draw_word, 4, r->technolPictures, number, PackPoint(Pixel(f.x, 8), Pixel(f.y, 16)),
                     PackPoint(f.third, f.fourth));
}

// Finds the line after the wanted section's "$US" line; false at the end.
bool FindSection(const char* text, long wanted, size_t* pos) {
  char line[kTechnolLineChars + 1];
  size_t length;
  long number;
  while (TechnolNextLine(text, pos, line, &length))
    if (TechnolSectionLine(line, length, &number) && number == wanted) return true;
  return false;
}

void DrawCurrent(const TechnolState* s, const TechnolInstance* inst, bool current) {
  const uint8_t index = inst->order[inst->current];
  if (index == kTechnolOrderEnd) return;
  const bool first = inst == &s->instances[0];
  TechnolDrawField(s, &inst->fields[index], first ? s->entries[index] : "", current);
}

// Hands a changed entry to the host, then moves along the editing order.
// Returns true when an entry was handed over (its identifier stays at
// output byte 6 for this call).
bool Move(TechnolState* s, TechnolInstance* inst, const STRUCT_TRACER* r, bool forward) {
  const uint8_t index = inst->order[inst->current];
  const bool handed = s->changed[index];
  if (handed) {
    char* out = r->technolOutput != nullptr ? reinterpret_cast<char*>(r->technolOutput) + kOutEntryText : nullptr;
    if (out != nullptr) {
      memcpy(out, s->entries[index], kTechnolEntryBytes);
      out[kTechnolEntryBytes - 1] = '\0';
    }
    OutU16(r, kOutIdentifier, inst->fields[index].identifier);
    if (r->technolOutput != nullptr) {
      const uint8_t* counter = r->technolOutput + kOutCounter;
      OutU16(r, kOutCounter, static_cast<uint16_t>((counter[0] | counter[1] << 8) + 1));
    }
    OutByte(r, kOutHandedOver, 1);
    s->changed[index] = false;
  }
  DrawCurrent(s, inst, false);
  int n = 0;
  while (inst->order[n] != kTechnolOrderEnd) ++n;
  inst->current = forward ? (inst->current + 1) % n : (inst->current + n - 1) % n;
  s->first_key = true;
  DrawCurrent(s, inst, true);
  return handed;
}

// One key on the current entry; true when the entry changed.
bool Edit(TechnolState* s, const TechnolField& f, char* entry, uint8_t key) {
  size_t length = strlen(entry);
  const bool entry_key = (key >= '0' && key <= '9') || key == kKeyPoint;
  if (entry_key && s->first_key) {
    entry[0] = '\0';
    length = 0;
  }
  if (entry_key) s->first_key = false;
  const size_t width = f.width;
  const char* point = strchr(entry, '.');
  if (key >= '0' && key <= '9') {
    if (length >= width) return false;
    if (point != nullptr && static_cast<int>(strlen(point + 1)) >= Decimals(f)) return false;
    entry[length] = static_cast<char>(key);
    entry[length + 1] = '\0';
    return true;
  }
  if (key == kKeyPoint) {
    if (Decimals(f) == 0 || point != nullptr || length >= width) return false;
    entry[length] = '.';
    entry[length + 1] = '\0';
    return true;
  }
  if (key == kKeySign) {
    if (entry[0] == '-') {
      memmove(entry, entry + 1, length);
      return true;
    }
    if (length >= width) return false;
    memmove(entry + 1, entry, length + 1);
    entry[0] = '-';
    return true;
  }
  if (key == kKeyEmpty) {
    entry[0] = '\0';
    return length > 0;
  }
  return false;
}

}  // namespace

void TechnolDrawField(const TechnolState* s, const TechnolField* f, const char* text, bool current) {
  const int cell = f->size == 1 ? 16 : 8;
  const int x = Pixel(f->x, 8), y = Pixel(f->y, 16);
  uint8_t fg = TechnolColour(s, f->foreground, true), bg = TechnolColour(s, f->background, true);
  if (current) {
    const uint8_t t = fg;
    fg = bg;
    bg = t;
  }
  DisplaySetColors(bg, 255);
  DisplayFill(PackPoint(x, y), PackPoint(f->width * cell, 2 * cell));
  for (int i = 0; i < f->width && text[i] != '\0'; ++i) {
    DisplayTextMode(PackPoint(x + i * cell, y), kTextFont, fg, bg, cell == 16 ? 0 : 2);
    DisplayWriteChar(text[i]);
  }
}

int TechnolPrefix(TechnolState* s, STRUCT_TRACER* r) {
  DisplayBind(r);
  const int k = Instance(r);
  if (k < 0) return 0;
  for (int i = 0; i < 18; ++i) s->palette[i] = DisplayPalette(20 + i);
  TechnolInstance* inst = &s->instances[k];
  if (r->technolInput != nullptr) r->technolInput[kInRequest + k] = 1;
  for (TechnolField& f : inst->fields) f = kTechnolDefaultField;
  inst->count = 0;
  inst->current = 0;
  inst->order[0] = kTechnolOrderEnd;
  if (k == 0) {
    memset(s->entries, 0, sizeof s->entries);
    memset(s->changed, 0, sizeof s->changed);
    s->first_key = true;
  }
  if (r->technolText == nullptr) return -1;
  const char* text = r->technolText + r->technolTextOffset;
  const long wanted = InByte(r, kInWantedScreen + k);
  size_t pos = 0;
  if (!FindSection(text, wanted, &pos)) return -1;

  DisplayTextMode(PackPoint(72, 96), kTextFont, s->palette[0], s->palette[5], 2);
  const uint32_t origin = r->textPosition != nullptr ? *r->textPosition : 0;
  TechnolCursor cursor{static_cast<int>(origin & 0xFFFF), static_cast<int>(origin >> 16),
                       static_cast<int>(origin & 0xFFFF), 0, s->palette[0], s->palette[5]};
  char line[kTechnolLineChars + 1];
  size_t length;
  long number;
  while (TechnolNextLine(text, &pos, line, &length) && !TechnolSectionLine(line, length, &number))
    TechnolInterpretLine(s, inst, &cursor, line, length);

  if (inst->count > 0) {
    int n = 0;
    for (int i = 0; i < inst->count; ++i) {
      TechnolField& f = inst->fields[i];
      if (Picture(f)) DrawPicture(r, f);
      if (f.width > kTechnolMaxWidth) f.width = kTechnolMaxWidth;
      if (Editable(f)) inst->order[n++] = static_cast<uint8_t>(i);
    }
    inst->order[n] = kTechnolOrderEnd;
    for (int i = 0; i < n; ++i) {
      const TechnolField& f = inst->fields[inst->order[i]];
      if (f.type == 'I' || f.type == 'V') {
        inst->current = i;
        break;
      }
    }
    for (int i = 0; i < inst->count; ++i)
      if (inst->fields[i].kind != 'P') TechnolDrawField(s, &inst->fields[i], k == 0 ? s->entries[i] : "", false);
    DrawCurrent(s, inst, true);
  }
  OutByte(r, kOutShownScreen + k, static_cast<uint8_t>(wanted));
  return 0;
}

int TechnolData(TechnolState* s, STRUCT_TRACER* r) {
  DisplayBind(r);
  const int k = Instance(r);
  if (k < 0) return 0;
  TechnolInstance* inst = &s->instances[k];
  uint8_t key = 0;
  if (k == 0) {
    if (r->technolKey != nullptr) {
      key = *r->technolKey;
      *r->technolKey = 0;
    }
    if (r->technolKeyModifier != nullptr) *r->technolKeyModifier = 0;
  }
  if (inst->count == 0 || InByte(r, kInState + k) != 1) return 0;
  const uint8_t index = inst->order[inst->current];
  if (k != 0 || index == kTechnolOrderEnd) return 0;
  OutU16(r, kOutIdentifier, inst->fields[index].identifier);
  if (key == kKeyNext || key == kKeyPrevious) {
    if (!Move(s, inst, r, key == kKeyNext))
      OutU16(r, kOutIdentifier, inst->fields[inst->order[inst->current]].identifier);
  } else if (key != 0 && Edit(s, inst->fields[index], s->entries[index], key)) {
    s->changed[index] = true;
    DrawCurrent(s, inst, true);
  }
  return 0;
}
