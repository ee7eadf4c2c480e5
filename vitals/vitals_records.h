// The records libVitals shares with the host: the system-information record
// `_VITALS` (also the service header of every screen of the library), the
// event-log record `_DGEVENT` and the 32-byte event record of the host's
// event ring, with the host-memory offsets the event log reads. All packed,
// little-endian, 32-bit pointers.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "bridge/host_api.h"

#pragma pack(push, 1)
// System-information panel; its dispatch entry and display block serve
// every screen of the library once INIT_VITALS has seen it. The meaning of
// the bytes behind the pointers is laid out in vitals/panel_host.h.
struct _VITALS {
  uint8_t reserved0[2];
  HostDispatch dispatch;            // every display or host service
  const uint8_t* display;           // display block
  uint8_t reserved10[4];
  const uint8_t* technology;        // shift, correction number, digit, process, status
  const uint32_t* digit_swap;       // bits 8-11 non-zero: correction digit "1" <-> "2"
  const uint32_t* machine_words;    // numbered like the machine constants
  uint8_t reserved26[4];
  const char* machine_type;         // 'F' enables the extra correction rows
  uint32_t item_arguments[3];       // rows 1 to 3 under "Current table"
  const uint8_t* tool_digits;       // one per correction number 0 to 99
  uint32_t item_painter;            // field 50: (argument, packed position)
  uint32_t unused_painter;          // field 54: not called
  uint32_t painters[5];             // fields 58 to 74: (packed position)
  uint32_t item78;                  // field 78: no arguments
  const uint32_t* special_word;     // bits 28-30: special length field enabled
  uint8_t* host_memory;             // base of the host memory block
  uint32_t painter90;               // field 90: (packed position)
  uint8_t reserved94[4];
  const char* table_name;           // the current table file name
  uint8_t repaint_on_change;        // non-zero: the table field waits for its flag
};

// Event log: the screen, the export and the critical-event file.
struct _DGEVENT {
  uint8_t reserved0[2];
  char layout;                      // 'P' right half, 'C' whole area, else left half
  uint8_t key;                      // 1 to 5; cleared by every DATA_EVENT
  uint8_t reserved4;
  uint8_t* base;                    // host memory block
  const uint32_t* parameters;       // +0 export limit (BCD), +8 filter word
  const char* directory;            // folder of EVENTS.TXT and EVCRITIC.TXT
  uint8_t result;                   // 0 or the file service's error byte
  uint8_t* done;                    // set to 'D' after an export from the screen
  uint8_t available;                // 0: the host has no event ring
};

// One slot of the event ring.
struct EVENT_RECORD {
  uint8_t hour, minute, second;
  char code[5];
  char mark;                        // '!' critical and not yet in EVCRITIC.TXT
  uint8_t unused9;
  char event_class;
  char description[19];
  uint8_t unused30[2];
};
#pragma pack(pop)

static_assert(offsetof(_VITALS, dispatch) == 2);
static_assert(offsetof(_VITALS, display) == 6);
static_assert(offsetof(_VITALS, technology) == 14);
static_assert(offsetof(_VITALS, digit_swap) == 18);
static_assert(offsetof(_VITALS, machine_words) == 22);
static_assert(offsetof(_VITALS, machine_type) == 30);
static_assert(offsetof(_VITALS, item_arguments) == 34);
static_assert(offsetof(_VITALS, tool_digits) == 46);
static_assert(offsetof(_VITALS, item_painter) == 50);
static_assert(offsetof(_VITALS, unused_painter) == 54);
static_assert(offsetof(_VITALS, painters) == 58);
static_assert(offsetof(_VITALS, item78) == 78);
static_assert(offsetof(_VITALS, special_word) == 82);
static_assert(offsetof(_VITALS, host_memory) == 86);
static_assert(offsetof(_VITALS, painter90) == 90);
static_assert(offsetof(_VITALS, table_name) == 98);
static_assert(offsetof(_VITALS, repaint_on_change) == 102);
static_assert(sizeof(_VITALS) == 103);

static_assert(offsetof(_DGEVENT, layout) == 2);
static_assert(offsetof(_DGEVENT, key) == 3);
static_assert(offsetof(_DGEVENT, base) == 5);
static_assert(offsetof(_DGEVENT, parameters) == 9);
static_assert(offsetof(_DGEVENT, directory) == 13);
static_assert(offsetof(_DGEVENT, result) == 17);
static_assert(offsetof(_DGEVENT, done) == 18);
static_assert(offsetof(_DGEVENT, available) == 22);
static_assert(sizeof(_DGEVENT) == 23);

static_assert(offsetof(EVENT_RECORD, code) == 3);
static_assert(offsetof(EVENT_RECORD, mark) == 8);
static_assert(offsetof(EVENT_RECORD, event_class) == 10);
static_assert(offsetof(EVENT_RECORD, description) == 11);
static_assert(offsetof(EVENT_RECORD, unused30) == 30);
static_assert(sizeof(EVENT_RECORD) == 32);

// The event ring and the host's state of it, as offsets from the base of
// the host memory block.
enum : uint32_t {
  kEventRingOffset = 0x500000,
  kEventRingBytes = 0x100000,
  kEventSlots = kEventRingBytes / sizeof(EVENT_RECORD),  // 32768
  kEventWriteOffset = 0x2A8C35,   // u32: slot the next event goes to
  kEventWrapped = 0x2A8C39,       // u32: non-zero once the ring was full
  kEventNewFlag = 0x2A8C3D,       // u8: the host added an event
  kEventScanRequest = 0x2A8C57,   // u32: 200-event blocks to scan for critical events
  kEventYear = 0x2A87AE,          // u16
  kEventDay = 0x2A87B0,           // u8
  kEventMonth = 0x2A87B1,         // u8
};

// Keys of DATA_EVENT.
enum EventKey : uint8_t {
  kEventKeyLive = 1,      // toggles live and stopped
  kEventKeyForward = 2,   // page forward (stopped, full page)
  kEventKeyBack = 3,      // page back (stopped, full page)
  kEventKeyFilter = 4,    // next filter
  kEventKeyExport = 5,    // write EVENTS.TXT
};

// Result byte of a path that does not fit the library's buffer.
constexpr uint8_t kEventPathTooLong = 251;
