// The host's event ring as the event log reads it: a snapshot of the
// host's write offset and wrapped flag, positions as ring offsets, walks
// that never leave the ring nor pass over it more than once, and the fixed
// text forms of one event.
//
// Positions are byte offsets from the ring's start, multiples of 32 below
// 0x100000. A position stands for the boundary before its slot: walking
// back from the newest position (the write offset) meets the newest event.
#pragma once

#include <stdint.h>

#include "vitals/vitals_records.h"

struct EventSnapshot {
  const EVENT_RECORD* ring;  // null: no host memory
  uint32_t newest;           // the trusted write offset
  bool wrapped;
};

// The write offset as trusted: rounded down to a multiple of 32 within the ring.
constexpr uint32_t TrustedOffset(uint32_t raw) { return raw & (kEventRingBytes - sizeof(EVENT_RECORD)); }

// Reads the host's write offset and wrapped flag once.
EventSnapshot ReadSnapshot(uint8_t* base);
// Records in use: 32768 once wrapped, else the write offset / 32.
uint32_t EventsInUse(const EventSnapshot& s);
// Records in use older than `position` (in an unwrapped ring a position
// past the newest counts as the newest). In a wrapped ring the newest
// position has every record behind it.
uint32_t EventsBefore(const EventSnapshot& s, uint32_t position);
// `position` moved by `records` (negative: back), around the ring.
uint32_t EventStep(uint32_t position, int32_t records);
// The record in the slot at `position`.
const EVENT_RECORD& EventAt(const EventSnapshot& s, uint32_t position);

// The character shown for a byte of an event: bytes below 0x20 as spaces.
char EventChar(char c);

// Text forms (without NUL; widths fixed whatever the record holds):
//   export line    47 bytes: number to 6, code and mark, 2 spaces,
//                  description, space, time, 2 spaces, class, CR LF
//   critical line  41 bytes: the same without the number
//   screen row     37 bytes: code and mark, space, description, space,
//                  time, space, class
// A time part above 99 shows "**".
constexpr uint32_t kExportLineBytes = 47;
constexpr uint32_t kCriticalLineBytes = 41;
constexpr uint32_t kScreenRowBytes = 37;
void ExportLine(const EVENT_RECORD& e, uint32_t number, char* out);
void CriticalLine(const EVENT_RECORD& e, char* out);
void ScreenRow(const EVENT_RECORD& e, char* out);

// The five filters: 0 is empty ("  "), 1 to 4 from the bytes of the
// filter word (two digits each, "0" shown as a space; a zero byte gives the
// default "26", "8 ", "78", "1 ").
struct EventFilters {
  char pair[5][2];
};
EventFilters MakeFilters(uint32_t word);
// True when the filter is empty or the record's class is one of its characters.
bool FilterMatches(const char pair[2], const EVENT_RECORD& e);
