// The event screen: PREFIX_EVENT draws the window and prepares the
// filters, DATA_EVENT handles one key and refreshes the list of the 18
// newest events (live) or of a page the operator moves through (stopped).
#pragma once

#include <stdint.h>

#include "vitals/event_files.h"
#include "vitals/event_ring.h"

// Static for the life of the loaded library: zero at load is a stopped
// screen at position 0 with filter 0.
struct EventScreen {
  uint32_t display;        // position of the page's newest boundary
  uint32_t stop;           // where the page stood when stopped
  bool live;
  uint8_t filter;          // 0 to 4
  bool page_full;          // the last page held 18 rows
  EventSnapshot snapshot;  // as last re-read (live, new-event flag)
  EventFilters filters;
};

constexpr uint32_t kEventRows = 18;
constexpr uint32_t kEventPageStep = 9;

// Window geometry of a layout letter.
struct EventWindow {
  int x, width;       // window at (x, 93), height 327
  int text_x;         // rows start here, y 116
  int filter_x, state_x;
};
EventWindow EventWindowOf(char layout);

void EventPrefix(EventScreen* s, const _DGEVENT* record);
void EventData(EventScreen* s, _DGEVENT* record);

// The page at the screen's display position: up to 18 positions of
// matching records, newest first. Returns how many.
uint32_t CollectPage(const EventScreen& s, uint32_t positions[kEventRows]);
