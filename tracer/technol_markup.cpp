// The technology screens' description language: lines, sections, and the
// elements of a line, drawn as they are read.
#include <string.h>

#include "bridge/display.h"
#include "tracer/display_point.h"
#include "tracer/technol.h"

namespace {

constexpr uint32_t kTextFont = 38;
// Palette bytes of the colour digits 0..9; 6 is colour 1 itself.
constexpr int kDigitBytes[10] = {20, 21, 22, 25, 27, 29, -1, 31, 33, 34};

int CharWidth(int size) { return size == 1 ? 16 : size == 2 ? 32 : 8; }
uint32_t CharMode(int size) { return size == 1 ? 0 : size == 2 ? 1 : 2; }

// One character through the text-style word and the write-character word.
void PutChar(TechnolCursor* c, uint8_t code) {
  DisplayTextMode(PackPoint(c->x, c->y), kTextFont, c->fg, c->bg, CharMode(c->size));
  DisplayWriteChar(static_cast<char>(code));
  c->x += CharWidth(c->size);
}

// The parameters of "X(" ... ")": each a run of characters up to ',' or
// ')'. False (the line ends) when one is longer than its limit or the ')'
// is missing or more than `count` come. `p` points after the '('; on
// success after the ')', with out->count parameters read.
struct Params {
  char text[13][8];
  size_t length[13];
  int count;
};
bool ReadParams(const char* line, size_t length, size_t* p, const int* limits, int count, Params* out) {
  out->count = 0;
  for (int i = 0; i < count; ++i) {
    size_t n = 0;
    while (*p < length && line[*p] != ',' && line[*p] != ')') {
      const char ch = line[*p];
      if (ch != ' ' && ch != '\t') {
        if (n >= static_cast<size_t>(limits[i])) return false;
        out->text[i][n++] = ch;
      }
      ++*p;
    }
    out->text[i][n] = '\0';
    out->length[i] = n;
    out->count = i + 1;
    if (*p >= length) return false;
    const char end = line[(*p)++];
    if (end == ')') return true;  // the caller checks the count
    if (i == count - 1) return false;
  }
  return false;
}

bool Digits(const char* t, size_t n, long* value) {
  *value = 0;
  for (size_t i = 0; i < n; ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    *value = *value * 10 + (t[i] - '0');
  }
  return true;
}
// A number, empty = `empty`; false for anything but digits.
bool Number(const Params& p, int i, long empty, long* value) {
  if (p.length[i] == 0) {
    *value = empty;
    return true;
  }
  return Digits(p.text[i], p.length[i], value);
}
// A position: digits with an optional trailing 'P' for pixels.
bool Position(const Params& p, int i, long* value, bool* pixels) {
  size_t n = p.length[i];
  *pixels = n > 0 && (p.text[i][n - 1] == 'P' || p.text[i][n - 1] == 'p');
  if (*pixels) --n;
  if (n == 0) {
    *value = 0;
    return true;
  }
  return Digits(p.text[i], n, value);
}

bool Attributes(TechnolState* s, TechnolCursor* c, const char* line, size_t length, size_t* p) {
  static constexpr int kLimits[5] = {1, 1, 1, 4, 4};
  Params a;
  if (!ReadParams(line, length, p, kLimits, 5, &a) || (a.count != 3 && a.count != 5)) return false;
  long size, fg, bg;
  if (!Number(a, 0, 0, &size) || !Number(a, 1, 0, &fg) || !Number(a, 2, 4, &bg) || size > 3) return false;
  c->size = static_cast<int>(size);
  c->fg = TechnolColour(s, static_cast<int>(fg), false);
  c->bg = TechnolColour(s, static_cast<int>(bg), false);
  if (a.count == 5) {
    long x, y;
    bool px, py;
    if (!Position(a, 3, &x, &px) || !Position(a, 4, &y, &py)) return false;
    c->x = c->line_x = static_cast<int>(px ? x : x * 8);
    c->y = static_cast<int>(py ? y : y * 16);
  }
  return true;
}

bool Graphics(TechnolState* s, const char* line, size_t length, size_t* p) {
  static constexpr int kLimits[7] = {1, 3, 3, 3, 3, 3, 2};
  Params g;
  if (!ReadParams(line, length, p, kLimits, 7, &g) || g.count != 7) return false;
  long v[7];
  for (int i = 0; i < 7; ++i)
    if (!Number(g, i, 0, &v[i])) return false;
  const uint8_t colour = TechnolColour(s, static_cast<int>(v[6]), false);
  DisplaySetColors(colour, 255);
  const long x1 = v[1], y1 = v[2], x2 = v[3], y2 = v[4], n = v[5];
  if (v[0] == 1) {
    const bool horizontal = y1 == y2;
    for (long i = 0; i < n; ++i) {
      const long dx = horizontal ? 0 : i, dy = horizontal ? i : 0;
      DisplayLine(PackPoint(x1 + dx, y1 + dy), PackPoint(x2 + dx, y2 + dy), 0xFFFF);
    }
  } else if (v[0] == 2) {
    for (long i = 0; i < n && x1 + i <= x2 - i && y1 + i <= y2 - i; ++i) {
      const long l = x1 + i, t = y1 + i, r = x2 - i, b = y2 - i;
      DisplayLine(PackPoint(l, t), PackPoint(r, t), 0xFFFF);
      DisplayLine(PackPoint(r, t), PackPoint(r, b), 0xFFFF);
      DisplayLine(PackPoint(l, b), PackPoint(r, b), 0xFFFF);
      DisplayLine(PackPoint(l, t), PackPoint(l, b), 0xFFFF);
    }
  } else if (v[0] == 3 && x2 >= x1 && y2 >= y1) {
    DisplayFill(PackPoint(x1, y1), PackPoint(x2 - x1 + 1, y2 - y1 + 1));
  }
  return true;
}

bool Field(TechnolInstance* inst, const char* line, size_t length, size_t* p) {
  static constexpr int kLimits[13] = {2, 5, 5, 5, 5, 2, 6, 2, 2, 2, 2, 2, 2};
  Params d;
  if (!ReadParams(line, length, p, kLimits, 13, &d) || d.count != 13) return false;
  TechnolField f = kTechnolDefaultField;
  if (d.length[0] > 0) f.type = d.text[0][0];
  long v;
  bool pixels;
  if (!Position(d, 1, &v, &pixels) || v > 65535 - kTechnolPixel) return false;
  f.x = static_cast<uint16_t>(pixels ? v + kTechnolPixel : v);
  if (!Position(d, 2, &v, &pixels) || v > 65535 - kTechnolPixel) return false;
  f.y = static_cast<uint16_t>(pixels ? v + kTechnolPixel : v);
  if (!Number(d, 3, 0, &v)) return false;
  f.third = static_cast<uint16_t>(v);
  if (!Number(d, 4, 0, &v)) return false;
  f.fourth = static_cast<uint16_t>(v);
  if (!Number(d, 5, 1, &v)) return false;
  f.decimals = static_cast<uint8_t>(v);
  if (!Number(d, 6, 0, &v)) return false;
  f.identifier = static_cast<uint16_t>(v);
  if (d.length[7] > 0) f.kind = d.text[7][0];
  uint8_t* bytes[] = {&f.eighth, &f.width, &f.size, &f.background, &f.foreground};
  const long empty[] = {1, 8, 2, 0, 4};
  for (int i = 0; i < 5; ++i) {
    if (!Number(d, 8 + i, empty[i], &v)) return false;
    *bytes[i] = static_cast<uint8_t>(v);
  }
  if (f.background > 9 || f.foreground > 9) return false;
  if (inst->count < kTechnolFields) inst->fields[inst->count++] = f;
  return true;
}

}  // namespace

void DisplayTextMode(uint32_t at, uint32_t font, uint32_t foreground, uint32_t background, uint32_t mode) {
  if (g_display.dispatch == nullptr || g_display.block == nullptr) return;
  if (uint32_t h = RecordGet<uint32_t>(g_display.block, 4u * kDisplayTextStyle))
    g_display.dispatch(h, 5, at, font, foreground, background, mode);
}

uint8_t TechnolColour(const TechnolState* s, int digit, bool field) {
  if (digit < 0 || digit > 9) digit = 0;
  if (kDigitBytes[digit] < 0) return field ? 255 : 1;
  return s->palette[kDigitBytes[digit] - 20];
}

bool TechnolNextLine(const char* text, size_t* pos, char* line, size_t* length) {
  if (text[*pos] == '\0') return false;
  size_t n = 0;
  bool comment = false;
  size_t i = *pos;
  for (; text[i] != '\0' && text[i] != '\n'; ++i) {
    if (i - *pos >= static_cast<size_t>(kTechnolLineChars)) continue;  // the rest is skipped
    if (text[i] == ';') comment = true;
    if (!comment) line[n++] = text[i];
  }
  if (n > 0 && line[n - 1] == '\r' && !comment) --n;
  *pos = text[i] == '\n' ? i + 1 : i;
  line[n] = '\0';
  *length = n;
  return true;
}

bool TechnolSectionLine(const char* line, size_t length, long* number) {
  for (size_t i = 0; i + 3 <= length; ++i) {
    if (memcmp(line + i, "$US", 3) != 0) continue;
    size_t j = i + 3, digits = 0;
    long value = 0;
    while (j < length && line[j] >= '0' && line[j] <= '9') {
      if (++digits <= 5) value = value * 10 + (line[j] - '0');
      ++j;
    }
    *number = digits == 0 || digits > 5 ? -1 : value;
    return true;
  }
  return false;
}

void TechnolInterpretLine(TechnolState* s, TechnolInstance* inst, TechnolCursor* c, const char* line,
                          size_t length) {
  size_t p = 0;
  while (p < length) {
    const char ch = line[p];
    if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n') {
      ++p;
    } else if (ch == '"') {
      ++p;
      while (p < length && line[p] != '"') {
        if (line[p] == '\r' || line[p] == '\n') {
          c->x = c->line_x;
          c->y += 2 * CharWidth(c->size);
        } else {
          PutChar(c, static_cast<uint8_t>(line[p]));
        }
        ++p;
      }
      if (p >= length) return;  // no closing quote: what was drawn stays
      ++p;
    } else if (p + 1 < length && line[p + 1] == '(' && strchr("&@#$", ch) != nullptr) {
      p += 2;
      bool ok = false;
      if (ch == '&') {
        static constexpr int kLimit[1] = {3};
        Params a;
        long code;
        ok = ReadParams(line, length, &p, kLimit, 1, &a) && a.count == 1 && a.length[0] > 0 && Number(a, 0, 0, &code) &&
             code <= 255;
        if (ok) PutChar(c, static_cast<uint8_t>(code));
      } else if (ch == '@') {
        ok = Attributes(s, c, line, length, &p);
      } else if (ch == '#') {
        ok = Graphics(s, line, length, &p);
      } else {
        ok = Field(inst, line, length, &p);
      }
      if (!ok) return;
    } else {
      return;  // anything else ends the line
    }
  }
}
