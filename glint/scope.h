// The signal scope's state and operations. The exports keep one Scope in
// static storage; tests build their own.
#pragma once

#include <stdint.h>

#include "glint/glint_record.h"
#include "glint/ring_view.h"

constexpr int kAllChannels = 10;  // `selected` when every channel is selected

// Window and plot area of one layout, in screen pixels.
struct ScopeGeometry {
  int x0, y0, width, height;               // the whole window
  int plot_x0, plot_y0, plot_width, plot_height;
  int centre;                              // y of the centre line
};

struct Scope {
  bool initialised;
  bool settings_read;     // GlnSet.sys is read once per load
  const _GLINT* record;   // record of the latest call
  GlintSettings settings;
  uint8_t palette[18];    // display block bytes 20..37, taken at PREFIX
  ScopeGeometry geometry;
  int selected;           // 0..9, or kAllChannels
  // View window: sample j of the view is ring row start + j.
  uint32_t start;
  uint32_t drawn;         // samples of the view drawn so far
  uint32_t newest_seen;   // the ring's next index at the latest call
  uint32_t shift;         // samples back in time (stopped view)
  bool trigger_marked;    // the view's trigger point is drawn
  uint8_t running;        // the host's flags as last seen
  uint8_t trigger_wait;
};

// Defaults: every channel shown and unmarked, scales 10000 / 50, the
// default colours, time base 25, layout "C".
void ScopeInit(Scope* s);
void ScopePrefix(Scope* s, const _GLINT* record);
void ScopeData(Scope* s, const _GLINT* record);

// Geometry of a layout letter; false (and `g` untouched) for another letter.
bool ScopeGeometryFor(char layout, ScopeGeometry* g);
// Palette byte (20..37) that draws channel `channel`: its stored selector,
// or its default when the selector lies outside the palette.
int ChannelColourByte(const Scope* s, int channel);
uint32_t ChannelTypeOf(uint8_t descriptor_byte);
bool ChannelIsAnalog(const Scope* s, int channel);
// Samples that fit across the plot at the current time base.
uint32_t PlotCapacity(const Scope* s);
// How far the stopped view may shift back: available - capacity, or 0.
uint32_t ShiftLimit(const Scope* s, const RingView& ring);

// Starts the view again (see the .cpp); draws grid and traces.
void ScopeRestartView(Scope* s, const RingView& ring, bool reset_shift);
// Handles one key code.
void ScopeKey(Scope* s, const RingView& ring, uint8_t key);
