#include "glint/scope_draw.h"

#include "bridge/display.h"
#include "bridge/text_buffer.h"

namespace {

constexpr uint16_t kSolid = 0xFFFF;
constexpr uint16_t kDotted = 0x8888;
constexpr int kDivision = 25;  // pixels per division
constexpr uint32_t kFont = 2;  // 8 x 16 cells

void Fill(int x, int y, int width, int height) {
  DisplayFill(PackPoint(x, y), PackPoint(width, height));
}

void Line(int x1, int y1, int x2, int y2, uint16_t pattern) {
  DisplayLine(PackPoint(x1, y1), PackPoint(x2, y2), pattern);
}

void Text(int x, int y, int columns, uint8_t fg, uint8_t bg, const char* text) {
  DisplayTextScreen(PackPoint(x, y), DisplayExtent(columns, 1), fg, bg, kFont);
  DisplayWriteText(text);
}

// Right-aligns `text` in a field of `width` characters.
void AppendRightAligned(TextBuffer* b, const char* text, uint32_t width) {
  uint32_t n = 0;
  while (text[n] != '\0') ++n;
  if (n < width) TextAppendRepeat(b, ' ', width - n);
  TextAppend(b, text);
}

// x of sample j: the plot's left edge plus j x 25 / time base.
int SampleX(const Scope* s, uint64_t j) {
  return s->geometry.plot_x0 + static_cast<int>(j * kDivision / s->settings.time_base);
}

// Draws one channel's samples j = first .. first + count - 1 (rows from
// `index`); `joined_from` > 0 means sample first - 1 is already drawn and
// only serves as the origin of the first digital line.
void DrawChannel(Scope* s, const RingView& ring, int channel, uint32_t index, uint32_t first,
                 uint32_t count, bool joined_from) {
  const ScopeGeometry& g = s->geometry;
  bool analog = ChannelIsAnalog(s, channel);
  uint32_t scale = s->settings.channels[channel].scale;
  bool have_last = false;
  uint32_t last = 0;
  if (joined_from) {
    uint32_t before = RingBack(ring, index, 1);
    int32_t value = RingRow(ring, before).values[channel];
    if (!analog) {
      last = PackPoint(SampleX(s, first - 1), DigitalY(s, channel, value));
      have_last = true;
    }
  }
  DisplaySetColors(PaletteColour(s, ChannelColourByte(s, channel)), PaletteColour(s, BARVA_VYPLN));
  for (uint32_t k = 0; k < count; ++k) {
    uint64_t j = static_cast<uint64_t>(first) + k;
    int32_t value = RingRow(ring, index).values[channel];
    index = index + 1 == ring.length ? 0 : index + 1;
    int x = SampleX(s, j);
    if (analog) {
      int64_t y = AnalogY(s, value, scale);
      if (y < g.plot_y0 || y > g.plot_y0 + g.plot_height) continue;
      uint32_t point = PackPoint(x, static_cast<int>(y));
      // Several samples share a pixel at long time bases: one call draws it.
      if (have_last && point == last) continue;
      DisplayLine(point, point, kSolid);
      last = point;
      have_last = true;
    } else {
      uint32_t point = PackPoint(x, DigitalY(s, channel, value));
      if (have_last && point == last) continue;
      DisplayLine(have_last ? last : point, point, kSolid);
      last = point;
      have_last = true;
    }
  }
}

// Sample number of the view's trigger point among samples first ..
// first + count - 1, or -1. The trigger point is a row whose trigger byte
// is non-zero after a row whose byte is zero; the oldest row has no row
// before it.
int64_t FindTrigger(const RingView& ring, uint32_t index, uint32_t first, uint32_t count) {
  bool previous_zero = false;
  bool have_previous = !(first == 0 && index == ring.oldest);
  if (have_previous) previous_zero = RingRow(ring, RingBack(ring, index, 1)).trigger == 0;
  for (uint32_t k = 0; k < count; ++k) {
    bool zero = RingRow(ring, index).trigger == 0;
    if (!zero && have_previous && previous_zero) return static_cast<int64_t>(first) + k;
    previous_zero = zero;
    have_previous = true;
    index = index + 1 == ring.length ? 0 : index + 1;
  }
  return -1;
}

void DrawTriggerMark(const Scope* s, uint64_t j) {
  const ScopeGeometry& g = s->geometry;
  int x = SampleX(s, j);
  uint8_t fill = PaletteColour(s, BARVA_VYPLN);
  DisplaySetColors(PaletteColour(s, BARVA_RUDA), fill);
  Line(x, g.plot_y0, x, g.plot_y0 + g.plot_height, 0xF0F0);
  DisplaySetColors(PaletteColour(s, BARVA_T13), fill);
  Line(x, g.plot_y0, x, g.plot_y0 + g.plot_height, 0x0F0F);
}

}  // namespace

uint32_t PackPoint(int x, int y) {
  return (static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFFu);
}

uint8_t PaletteColour(const Scope* s, int palette_byte) {
  if (palette_byte < kDisplayPaletteFirst || palette_byte > kDisplayPaletteLast) return 0;
  return s->palette[palette_byte - kDisplayPaletteFirst];
}

int64_t AnalogY(const Scope* s, int32_t value, uint32_t scale) {
  if (scale == 0) scale = 1;
  return s->geometry.centre - static_cast<int64_t>(value) * kDivision / static_cast<int64_t>(scale);
}

int DigitalY(const Scope* s, int channel, int32_t value) {
  return s->geometry.plot_y0 + kDivision * channel + 2 + (value == 0 ? 20 : 0);
}

void DrawGrid(const Scope* s) {
  const ScopeGeometry& g = s->geometry;
  int left = g.plot_x0, top = g.plot_y0;
  int right = left + g.plot_width, bottom = top + g.plot_height;
  uint8_t fill = PaletteColour(s, BARVA_VYPLN);
  DisplaySetColors(fill, fill);
  Fill(left, top, g.plot_width + 1, g.plot_height + 1);
  DisplaySetColors(PaletteColour(s, BARVA_T15), fill);
  for (int y = g.centre + kDivision; y <= bottom; y += kDivision) Line(left, y, right, y, kDotted);
  for (int y = g.centre - kDivision; y >= top; y -= kDivision) Line(left, y, right, y, kDotted);
  Line(left, g.centre, right, g.centre, kSolid);
  for (int x = left; x <= right; x += kDivision) Line(x, top, x, bottom, kDotted);
  Line(left, top, right, top, kSolid);
  Line(right, top, right, bottom, kSolid);
  Line(right, bottom, left, bottom, kSolid);
  Line(left, bottom, left, top, kSolid);
}

void DrawNewSamples(Scope* s, const RingView& ring) {
  if (!ring.valid) return;
  // Sample `drawn - 1` is the last one on the screen; the walk starts there
  // so that digital traces join up, and draws from sample `drawn` on.
  uint32_t first = s->drawn;
  uint32_t index = RingAdvance(ring, s->start, first);
  uint32_t count = RingDistance(ring, index, ring.next);
  // Sample j lies on the plot while j x 25 / time base < plot width.
  uint64_t limit = (static_cast<uint64_t>(s->geometry.plot_width) * s->settings.time_base +
                    kDivision - 1) / kDivision;
  if (first >= limit) return;
  if (count > limit - first) count = static_cast<uint32_t>(limit - first);
  if (count == 0) return;
  bool any_shown = false;
  for (int channel = kGlintChannels - 1; channel >= 0; --channel) {
    if (!s->settings.channels[channel].shown) continue;
    any_shown = true;
    DrawChannel(s, ring, channel, index, first, count, first > 0);
  }
  if (!any_shown || s->trigger_marked) return;
  int64_t trigger = FindTrigger(ring, index, first, count);
  if (trigger >= 0) {
    DrawTriggerMark(s, static_cast<uint64_t>(trigger));
    s->trigger_marked = true;
  }
}

void DrawLegend(const Scope* s) {
  const ScopeGeometry& g = s->geometry;
  uint8_t p3 = PaletteColour(s, BARVA_P3), t15 = PaletteColour(s, BARVA_T15);
  DisplaySetColors(PaletteColour(s, BARVA_P2), PaletteColour(s, BARVA_P2));
  Fill(g.x0, g.y0, g.width, 16);
  DisplaySetColors(p3, p3);
  Fill(g.x0, g.plot_y0, 108, g.plot_height);
  Text(g.x0 + 8, g.centre - 146, 11, t15, PaletteColour(s, BARVA_VYPLN), "ch  |1/div");
  for (int channel = 0; channel < kGlintChannels; ++channel) {
    const GlintChannelSettings& c = s->settings.channels[channel];
    int y = g.centre - 121 + 25 * channel;
    char row[16];
    TextBuffer b = MakeTextBuffer(row, sizeof row);
    TextAppendChar(&b, static_cast<char>('0' + channel));
    TextAppendChar(&b, ':');
    if (!c.shown) {
      TextAppend(&b, "  -      ");
    } else if (!ChannelIsAnalog(s, channel)) {
      AppendRightAligned(&b, "bit", 9);
    } else {
      char digits[12];
      TextBuffer d = MakeTextBuffer(digits, sizeof digits);
      TextAppendUnsigned(&d, c.scale);
      AppendRightAligned(&b, digits, 9);
    }
    if (c.marked) Text(g.x0 + 16, y, 11, PaletteColour(s, BARVA_P0), t15, row);
    else Text(g.x0 + 16, y, 11, t15, p3, row);
    uint8_t swatch = PaletteColour(s, ChannelColourByte(s, channel));
    DisplaySetColors(swatch, swatch);
    Fill(g.x0 + 4, y, 8, 16);
    if (s->selected == channel || s->selected == kAllChannels) {
      DisplaySetColors(PaletteColour(s, BARVA_T13), p3);
      int left = g.x0 + 2, right = g.x0 + 106, top = y - 2, bottom = y + 18;
      Line(left, top, right, top, kSolid);
      Line(right, top, right, bottom, kSolid);
      Line(right, bottom, left, bottom, kSolid);
      Line(left, bottom, left, top, kSolid);
    }
  }
}

void DrawStatusLine(const Scope* s) {
  const ScopeGeometry& g = s->geometry;
  uint8_t p2 = PaletteColour(s, BARVA_P2);
  int y = g.y0 + g.height - 16;
  DisplaySetColors(p2, p2);
  Fill(g.x0, y, g.width, 16);
  char line[48];
  TextBuffer b = MakeTextBuffer(line, sizeof line);
  TextAppend(&b, "     ~");
  TextAppendUnsigned(&b, s->settings.time_base);
  TextAppend(&b, "[ms/div] ");
  if (b.length < 20) TextAppendRepeat(&b, ' ', 20 - b.length);
  TextAppend(&b, s->running ? "Run " : "Stop");
  if (s->trigger_wait) TextAppend(&b, " Trigger Wait");
  Text(g.x0, y, 40, PaletteColour(s, BARVA_T15), p2, line);
}

namespace {

struct MessageBox {
  int x, y, width, height;
};

MessageBox MessageBoxOf(const Scope* s) {
  const ScopeGeometry& g = s->geometry;
  int width = g.plot_width < 200 ? g.plot_width : 200;
  int height = g.plot_height < 40 ? g.plot_height : 40;
  return {g.plot_x0 + (g.plot_width - width) / 2, g.plot_y0 + (g.plot_height - height) / 2, width,
          height};
}

}  // namespace

void DrawMessageBox(const Scope* s, const char* text) {
  MessageBox box = MessageBoxOf(s);
  uint8_t green = PaletteColour(s, BARVA_TMZELENA);
  DisplaySetColors(green, green);
  Fill(box.x, box.y, box.width, box.height);
  Text(box.x + 8, box.y + 4, (box.width - 16) / 8, PaletteColour(s, BARVA_P0), green, text);
}

void DrawMessageProgress(const Scope* s, uint32_t sample) {
  MessageBox box = MessageBoxOf(s);
  char digits[12];
  TextBuffer b = MakeTextBuffer(digits, sizeof digits);
  TextAppendUnsigned(&b, sample);
  Text(box.x + 8, box.y + 20, (box.width - 16) / 8, PaletteColour(s, BARVA_P0),
       PaletteColour(s, BARVA_TMZELENA), digits);
}
