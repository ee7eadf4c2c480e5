#include "vitals/event_screen.h"

#include "bridge/display.h"
#include "bridge/gdi.h"
#include "bridge/localization.h"
#include "vitals/vitals_service.h"

namespace {

constexpr int kWindowY = 93, kWindowHeight = 327;
constexpr int kCaptionY = 96, kRowsY = 116, kRowHeight = 16;

uint32_t WindowColour() { return Colour(BARVA_P0); }
uint32_t CaptionColour() { return Colour(BARVA_T13); }
uint32_t Ink() { return Colour(BARVA_T15); }

void DrawFrame(const EventWindow& w, const char* caption) {
  DisplaySetColors(WindowColour(), WindowColour());
  ScreenFill(w.x, kWindowY, w.width, kWindowHeight);
  DisplaySetColors(CaptionColour(), CaptionColour());
  ScreenFill(w.x, kWindowY, w.width, 20);
  ScreenText(w.text_x, kCaptionY, 16, Colour(BARVA_P0), CaptionColour(), caption);
}

void DrawRows(const EventScreen& s, const EventWindow& w, const uint32_t* positions, uint32_t n) {
  char row[kScreenRowBytes + 1];
  row[kScreenRowBytes] = '\0';
  for (uint32_t i = 0; i < kEventRows; ++i) {
    int y = kRowsY + kRowHeight * static_cast<int>(i);
    if (i >= n) {
      DisplaySetColors(WindowColour(), WindowColour());
      ScreenFill(w.text_x, y, 8 * static_cast<int>(kScreenRowBytes), kRowHeight);
      continue;
    }
    // Oldest at the top: the newest (positions[0]) on the last row.
    const EVENT_RECORD& e = EventAt(s.snapshot, positions[n - 1 - i]);
    ScreenRow(e, row);
    bool newest = s.live && i == n - 1;
    uint32_t bg = Colour(newest ? BARVA_P2 : BARVA_P0);
    row[kScreenRowBytes - 1] = '\0';
    ScreenText(w.text_x, y, kScreenRowBytes - 1, Ink(), bg, row);
    DisplayTextScreen(PackPoint(w.text_x + 8 * (kScreenRowBytes - 1), y), DisplayExtent(1, 1),
                      Colour(BARVA_ZELENA), bg, 2);
    DisplayWriteChar(EventChar(e.event_class));
  }
}

void HandleKey(EventScreen* s, _DGEVENT* record, uint8_t key, bool* refill, uint32_t* moved_back) {
  switch (key) {
    case kEventKeyLive:
      s->live = !s->live;
      if (!s->live) s->stop = s->display;
      break;
    case kEventKeyForward:
      if (!s->live && s->page_full) {
        uint32_t here = EventsBefore(s->snapshot, s->display), stop = EventsBefore(s->snapshot, s->stop);
        uint32_t step = stop > here ? stop - here : 0;
        if (step > kEventPageStep) step = kEventPageStep;
        s->display = EventStep(s->display, static_cast<int32_t>(step));
      }
      break;
    case kEventKeyBack:
      if (!s->live && s->page_full) {
        // Keep at least one record behind a wrapped ring's position, so that
        // it never reaches the oldest boundary (which is also the newest).
        uint32_t behind = EventsBefore(s->snapshot, s->display);
        uint32_t step = s->snapshot.wrapped && behind > 0 ? behind - 1 : behind;
        if (step > kEventPageStep) step = kEventPageStep;
        s->display = EventStep(s->display, -static_cast<int32_t>(step));
        *refill = true;
        *moved_back = step;
      }
      break;
    case kEventKeyFilter:
      s->filter = static_cast<uint8_t>((s->filter + 1) % 5);
      s->display = s->stop;
      break;
    case kEventKeyExport:
      record->result = ExportEvents(record);
      if (record->result == 0 && record->done != nullptr) *record->done = 'D';
      break;
    default:
      break;
  }
}

}  // namespace

EventWindow EventWindowOf(char layout) {
  if (layout == 'P') return {327, 308, 336, 424, 520};
  if (layout == 'C') return {5, 630, 16, 424, 520};
  // The left half: the filter and state inside the window.
  return {5, 308, 16, 102, 198};
}

uint32_t CollectPage(const EventScreen& s, uint32_t positions[kEventRows]) {
  if (s.snapshot.ring == nullptr) return 0;
  const char* pair = s.filters.pair[s.filter];
  uint32_t behind = EventsBefore(s.snapshot, s.display), n = 0;
  uint32_t position = s.snapshot.wrapped ? s.display : (behind * sizeof(EVENT_RECORD));
  for (uint32_t i = 0; i < behind && n < kEventRows; ++i) {
    position = EventStep(position, -1);
    if (FilterMatches(pair, EventAt(s.snapshot, position))) positions[n++] = position;
  }
  return n;
}

void EventPrefix(EventScreen* s, const _DGEVENT* record) {
  if (record->available == 0) {
    if (ServiceBind()) DrawFrame(EventWindowOf(record->layout), LocText(284));
    return;
  }
  s->filters = MakeFilters(record->parameters != nullptr ? record->parameters[2] : 0);
  if (ServiceBind()) DrawFrame(EventWindowOf(record->layout), LocText(283));
}

void EventData(EventScreen* s, _DGEVENT* record) {
  if (record->available == 0) return;
  uint8_t key = record->key;
  record->key = 0;
  bool refill = false;
  uint32_t moved_back = 0;
  HandleKey(s, record, key, &refill, &moved_back);

  if (!ServiceBind()) return;
  EventWindow w = EventWindowOf(record->layout);
  char filter[12] = "Filter:--";
  const char* pair = s->filters.pair[s->filter];
  if (s->filter != 0) {
    filter[7] = pair[0];
    filter[8] = pair[1];
  }
  ScreenText(w.filter_x, kCaptionY, 9, Colour(BARVA_P0), CaptionColour(), filter);
  ScreenText(w.state_x, kCaptionY, 5, Colour(BARVA_P0), CaptionColour(), s->live ? "START" : "STOP ");

  if (s->live) {
    if (record->base == nullptr || record->base[kEventNewFlag] == 0) return;
    s->snapshot = ReadSnapshot(record->base);
    record->base[kEventNewFlag] = 0;
    s->display = s->snapshot.newest;
  } else if (record->base != nullptr) {
    s->snapshot.ring = ReadSnapshot(record->base).ring;
  }

  uint32_t positions[kEventRows];
  uint32_t n = CollectPage(*s, positions);
  // After a page back the page fills up again by moving forward, at most
  // as far as it went back (that page was full).
  for (uint32_t k = 0; refill && n < kEventRows && k < moved_back; ++k) {
    s->display = EventStep(s->display, 1);
    n = CollectPage(*s, positions);
  }
  s->page_full = n == kEventRows;
  DrawRows(*s, w, positions, n);
}
