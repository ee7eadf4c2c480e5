#include "vitals/event_ring.h"

#include "bridge/host_api.h"

EventSnapshot ReadSnapshot(uint8_t* base) {
  EventSnapshot s{};
  if (base == nullptr) return s;
  s.ring = reinterpret_cast<const EVENT_RECORD*>(base + kEventRingOffset);
  s.newest = TrustedOffset(RecordGet<uint32_t>(base, kEventWriteOffset));
  s.wrapped = RecordGet<uint32_t>(base, kEventWrapped) != 0;
  return s;
}

uint32_t EventsInUse(const EventSnapshot& s) {
  return s.wrapped ? kEventSlots : s.newest / sizeof(EVENT_RECORD);
}

uint32_t EventsBefore(const EventSnapshot& s, uint32_t position) {
  position = TrustedOffset(position);
  if (!s.wrapped) return (position < s.newest ? position : s.newest) / sizeof(EVENT_RECORD);
  if (position == s.newest) return kEventSlots;
  return TrustedOffset(position - s.newest) / sizeof(EVENT_RECORD);
}

uint32_t EventStep(uint32_t position, int32_t records) {
  return TrustedOffset(position + static_cast<uint32_t>(records) * sizeof(EVENT_RECORD));
}

const EVENT_RECORD& EventAt(const EventSnapshot& s, uint32_t position) {
  return s.ring[TrustedOffset(position) / sizeof(EVENT_RECORD)];
}

char EventChar(char c) { return static_cast<uint8_t>(c) < 0x20 ? ' ' : c; }

namespace {

char* Put(char* out, const char* text, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) *out++ = EventChar(text[i]);
  return out;
}

char* Spaces(char* out, uint32_t n) {
  while (n-- > 0) *out++ = ' ';
  return out;
}

char* TimePart(char* out, uint8_t value) {
  *out++ = value > 99 ? '*' : static_cast<char>('0' + value / 10);
  *out++ = value > 99 ? '*' : static_cast<char>('0' + value % 10);
  return out;
}

char* Time(char* out, const EVENT_RECORD& e) {
  out = TimePart(out, e.hour);
  *out++ = ':';
  out = TimePart(out, e.minute);
  *out++ = ':';
  return TimePart(out, e.second);
}

// Code, mark, `gap` spaces, description, space, time.
char* Body(char* out, const EVENT_RECORD& e, uint32_t gap) {
  out = Put(out, e.code, 5);
  *out++ = EventChar(e.mark);
  out = Spaces(out, gap);
  out = Put(out, e.description, 19);
  *out++ = ' ';
  return Time(out, e);
}

}  // namespace

void ExportLine(const EVENT_RECORD& e, uint32_t number, char* out) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0 && n < 5);
  for (int i = n - 1; i >= 0; --i) *out++ = digits[i];
  out = Spaces(out, 6 - static_cast<uint32_t>(n));
  CriticalLine(e, out);
}

void CriticalLine(const EVENT_RECORD& e, char* out) {
  out = Body(out, e, 2);
  out = Spaces(out, 2);
  *out++ = EventChar(e.event_class);
  *out++ = '\r';
  *out = '\n';
}

void ScreenRow(const EVENT_RECORD& e, char* out) {
  out = Body(out, e, 1);
  *out++ = ' ';
  *out = EventChar(e.event_class);
}

EventFilters MakeFilters(uint32_t word) {
  static const char kDefaults[4][2] = {{'2', '6'}, {'8', ' '}, {'7', '8'}, {'1', ' '}};
  EventFilters f;
  f.pair[0][0] = f.pair[0][1] = ' ';
  for (int k = 0; k < 4; ++k) {
    uint8_t byte = static_cast<uint8_t>(word >> (8 * k));
    for (int i = 0; i < 2; ++i) {
      char c = static_cast<char>('0' + (i == 0 ? byte >> 4 : byte & 0xF));
      f.pair[k + 1][i] = byte == 0 ? kDefaults[k][i] : c == '0' ? ' ' : c;
    }
  }
  return f;
}

bool FilterMatches(const char pair[2], const EVENT_RECORD& e) {
  if (pair[0] == ' ' && pair[1] == ' ') return true;
  char c = EventChar(e.event_class);
  return c == pair[0] || c == pair[1];
}
