#include "glint/scope.h"

#include "bridge/display.h"
#include "glint/scope_draw.h"
#include "glint/scope_tables.h"
#include "glint/settings_file.h"

namespace {

constexpr int kLegendWidth = 112;
constexpr int kDivision = 25;

// Takes the palette bytes 20..37 of the display block.
void TakePalette(Scope* s) {
  for (int byte = kDisplayPaletteFirst; byte <= kDisplayPaletteLast; ++byte)
    s->palette[byte - kDisplayPaletteFirst] = DisplayPalette(byte);
}

void TakeChannelTypes(Scope* s) {
  for (int channel = 0; channel < kGlintChannels; ++channel) {
    const uint8_t* descriptor = s->record->descriptors[channel / 2];
    // An absent descriptor reads as byte 0.
    uint8_t byte = descriptor != nullptr ? descriptor[2 + channel % 2] : 0;
    s->settings.channels[channel].type = ChannelTypeOf(byte);
  }
}

}  // namespace

void ScopeInit(Scope* s) {
  *s = Scope{};
  DefaultSettings(&s->settings);
  ScopeGeometryFor('C', &s->geometry);
  s->initialised = true;
}

bool ScopeGeometryFor(char layout, ScopeGeometry* g) {
  ScopeGeometry r{};
  switch (layout) {
    case 'C': r.x0 = 8; r.width = 624; break;
    case 'L': r.x0 = 8; r.width = 304; break;
    case 'P': r.x0 = 328; r.width = 304; break;
    default: return false;
  }
  r.y0 = 96;
  r.height = 320;
  // The plot: whole divisions across, an even number of them up and down,
  // with the spare pixels split on both sides.
  r.plot_width = (r.width - kLegendWidth) / kDivision * kDivision;
  r.plot_height = (r.height - 48) / (2 * kDivision) * (2 * kDivision);
  r.plot_x0 = r.x0 + kLegendWidth + (r.width - kLegendWidth - r.plot_width) / 2;
  r.plot_y0 = r.y0 + 32 + (r.height - 48 - r.plot_height) / 2;
  r.centre = r.plot_y0 + r.plot_height / 2;
  *g = r;
  return true;
}

uint32_t ChannelTypeOf(uint8_t descriptor_byte) {
  switch (descriptor_byte) {
    case 0: return kChannelAnalog0;
    case 9: return kChannelAnalog9;
    case 0x99: return kChannelAnalog99;
    default: return kChannelDigital;
  }
}

bool ChannelIsAnalog(const Scope* s, int channel) {
  return s->settings.channels[channel].type != kChannelDigital;
}

int ChannelColourByte(const Scope* s, int channel) {
  uint32_t selector = s->settings.channels[channel].colour;
  if (selector < static_cast<uint32_t>(kDisplayPaletteFirst) ||
      selector > static_cast<uint32_t>(kDisplayPaletteLast))
    return static_cast<int>(DefaultChannelColour(channel));
  return static_cast<int>(selector);
}

uint32_t PlotCapacity(const Scope* s) {
  return static_cast<uint32_t>(static_cast<uint64_t>(s->geometry.plot_width) *
                               s->settings.time_base / kDivision);
}

uint32_t ShiftLimit(const Scope* s, const RingView& ring) {
  uint32_t available = RingAvailable(ring), capacity = PlotCapacity(s);
  return available > capacity ? available - capacity : 0;
}

void ScopeRestartView(Scope* s, const RingView& ring, bool reset_shift) {
  if (reset_shift) s->shift = 0;
  s->drawn = 0;
  s->trigger_marked = false;
  if (s->running) {
    // The trace grows from the left edge as rows arrive.
    s->start = ring.next;
    s->shift = 0;
  } else {
    uint32_t available = RingAvailable(ring), capacity = PlotCapacity(s);
    uint32_t visible = available < capacity ? available : capacity;
    // A shift taken at a shorter time base may now reach before the oldest row.
    uint32_t limit = ShiftLimit(s, ring);
    if (s->shift > limit) s->shift = limit;
    s->start = RingBack(ring, ring.next, static_cast<uint64_t>(visible) + s->shift);
  }
  s->newest_seen = ring.next;
  DrawGrid(s);
  DrawNewSamples(s, ring);
}

void ScopePrefix(Scope* s, const _GLINT* record) {
  if (!s->initialised) ScopeInit(s);
  s->record = record;
  DisplayBind(record);
  TakePalette(s);
  if (!s->settings_read) {
    s->settings_read = true;
    ReadSettingsFile(record->settings_dir, &s->settings);
  }
  ScopeGeometryFor(record->layout, &s->geometry);
  TakeChannelTypes(s);
  s->selected = 0;
  s->running = record->running;
  s->trigger_wait = record->trigger_wait;
  RingView ring = RingSnapshot(record);
  ScopeRestartView(s, ring, true);
  DrawLegend(s);
  DrawStatusLine(s);
}

void ScopeData(Scope* s, const _GLINT* record) {
  if (!s->initialised) ScopeInit(s);
  s->record = record;
  DisplayBind(record);
  RingView ring = RingSnapshot(record);
  ScopeKey(s, ring, record->key);
  if (s->running) DrawNewSamples(s, ring);
  uint32_t added = RingDistance(ring, s->newest_seen < ring.length ? s->newest_seen : ring.next, ring.next);
  s->drawn = s->drawn > 0xFFFFFFFFu - added ? 0xFFFFFFFFu : s->drawn + added;
  s->newest_seen = ring.next;
  if (s->running && record->sweep_restart &&
      static_cast<uint64_t>(s->drawn) * kDivision / s->settings.time_base >
          static_cast<uint64_t>(s->geometry.plot_width))
    ScopeRestartView(s, ring, false);
  if (record->running != s->running || record->trigger_wait != s->trigger_wait) {
    s->running = record->running;
    s->trigger_wait = record->trigger_wait;
    DrawLegend(s);
    DrawStatusLine(s);
    ScopeRestartView(s, ring, true);
  }
}
