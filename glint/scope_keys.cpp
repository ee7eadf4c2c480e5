// The soft keys of the scope (DATA_GLINT's key byte).
#include "glint/scope.h"
#include "glint/scope_draw.h"
#include "glint/scope_export.h"
#include "glint/scope_tables.h"
#include "glint/settings_file.h"

namespace {

using ChannelSet = bool[kGlintChannels];

bool IsSelected(const Scope* s, int channel) {
  return s->selected == kAllChannels || s->selected == channel;
}

// Keys 13 and 14: the marked channels when any is marked, otherwise the
// selected one (or every channel when all are selected).
void ShowTargets(const Scope* s, ChannelSet targets) {
  bool any_marked = false;
  for (int k = 0; k < kGlintChannels; ++k) any_marked |= s->settings.channels[k].marked != 0;
  for (int k = 0; k < kGlintChannels; ++k)
    targets[k] = any_marked ? s->settings.channels[k].marked != 0 : IsSelected(s, k);
}

// Keys 20 and 21: the marked analog channels when any analog channel is
// marked, otherwise the selected analog one (or every analog channel).
void ScaleTargets(const Scope* s, ChannelSet targets) {
  bool any_marked = false;
  for (int k = 0; k < kGlintChannels; ++k)
    any_marked |= s->settings.channels[k].marked != 0 && ChannelIsAnalog(s, k);
  for (int k = 0; k < kGlintChannels; ++k)
    targets[k] = ChannelIsAnalog(s, k) &&
                 (any_marked ? s->settings.channels[k].marked != 0 : IsSelected(s, k));
}

void Mark(Scope* s) {
  GlintChannelSettings* c = s->settings.channels;
  if (s->selected != kAllChannels) {
    c[s->selected].marked = !c[s->selected].marked;
    return;
  }
  bool none_marked = true;
  for (int k = 0; k < kGlintChannels; ++k) none_marked &= c[k].marked == 0;
  for (int k = 0; k < kGlintChannels; ++k) c[k].marked = none_marked ? 1 : 0;
}

void ShowOrHide(Scope* s) {
  ChannelSet targets;
  ShowTargets(s, targets);
  bool all_shown = true;
  for (int k = 0; k < kGlintChannels; ++k) all_shown &= !targets[k] || s->settings.channels[k].shown;
  for (int k = 0; k < kGlintChannels; ++k)
    if (targets[k]) s->settings.channels[k].shown = all_shown ? 0 : 1;
}

void AutoScale(Scope* s, const RingView& ring) {
  ChannelSet targets;
  ShowTargets(s, targets);
  bool any = false;
  for (int k = 0; k < kGlintChannels; ++k) {
    targets[k] = targets[k] && ChannelIsAnalog(s, k);
    any |= targets[k];
  }
  if (!any) return;
  int32_t smallest = 0, largest = 0;
  uint32_t rows = RingAvailable(ring);
  uint32_t index = ring.oldest;
  for (uint32_t n = 0; n < rows; ++n) {
    const GlintRow& row = RingRow(ring, index);
    for (int k = 0; k < kGlintChannels; ++k) {
      if (!targets[k]) continue;
      if (row.values[k] < smallest) smallest = row.values[k];
      if (row.values[k] > largest) largest = row.values[k];
    }
    index = index + 1 == ring.length ? 0 : index + 1;
  }
  uint32_t half_divisions = static_cast<uint32_t>(s->geometry.plot_height / 50);
  uint32_t scale = AutomaticScale(smallest, largest, half_divisions);
  for (int k = 0; k < kGlintChannels; ++k)
    if (targets[k]) s->settings.channels[k].scale = scale;
}

void ManualScale(Scope* s, bool larger) {
  ChannelSet targets;
  ScaleTargets(s, targets);
  bool any = false;
  uint32_t reference = 0;
  for (int k = 0; k < kGlintChannels; ++k) {
    if (!targets[k]) continue;
    uint32_t scale = s->settings.channels[k].scale;
    if (!any || (larger ? scale > reference : scale < reference)) reference = scale;
    any = true;
  }
  if (!any) return;
  uint32_t scale = larger ? TableStepUp(kScales, kScaleCount, reference)
                          : TableStepDown(kScales, kScaleCount, reference);
  // A reference in the table stays at its end; one off the table with no
  // entry beyond it leaves the scales as they are.
  bool in_table = false;
  for (uint32_t entry : kScales) in_table |= entry == reference;
  if (scale == reference && !in_table) return;
  for (int k = 0; k < kGlintChannels; ++k)
    if (targets[k]) s->settings.channels[k].scale = scale;
}

void RedrawAfterSettings(Scope* s, const RingView& ring) {
  DrawLegend(s);
  ScopeRestartView(s, ring, false);
}

}  // namespace

void ScopeKey(Scope* s, const RingView& ring, uint8_t key) {
  switch (key) {
    case kKeyRestart:
      ScopeRestartView(s, ring, true);
      break;
    case kKeySave:
    case kKeySaveToo:
      if (!SaveSettingsFile(s->record->settings_dir, s->settings)) DrawMessageBox(s, "Settings not saved");
      break;
    case kKeySelect:
      s->selected = (s->selected + 1) % (kAllChannels + 1);
      DrawLegend(s);
      break;
    case kKeyMark:
      Mark(s);
      DrawLegend(s);
      break;
    case kKeyShow:
      ShowOrHide(s);
      RedrawAfterSettings(s, ring);
      break;
    case kKeyAutoScale:
      AutoScale(s, ring);
      RedrawAfterSettings(s, ring);
      break;
    case kKeyScaleDown:
    case kKeyScaleUp:
      ManualScale(s, key == kKeyScaleUp);
      RedrawAfterSettings(s, ring);
      break;
    case kKeyTimeBaseDown:
    case kKeyTimeBaseUp:
      s->settings.time_base = key == kKeyTimeBaseUp
                                  ? TableStepUp(kTimeBases, kTimeBaseCount, s->settings.time_base)
                                  : TableStepDown(kTimeBases, kTimeBaseCount, s->settings.time_base);
      DrawStatusLine(s);
      ScopeRestartView(s, ring, false);
      break;
    case kKeyShiftBack: {
      uint64_t shift = static_cast<uint64_t>(s->shift) + s->settings.time_base;
      uint32_t limit = ShiftLimit(s, ring);
      s->shift = shift > limit ? limit : static_cast<uint32_t>(shift);
      ScopeRestartView(s, ring, false);
      break;
    }
    case kKeyShiftForward:
      s->shift = s->shift > s->settings.time_base ? s->shift - s->settings.time_base : 0;
      ScopeRestartView(s, ring, false);
      break;
    case kKeyExport:
      if (ExportSamples(s, ring)) ScopeRestartView(s, ring, true);
      break;
    default:
      break;
  }
}
