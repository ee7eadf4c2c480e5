// VIEW_INFO: the record the host passes to every view export.
#pragma once

#include "bridge/host_api.h"
#include "bridge/view_clock.h"

#pragma pack(push, 1)
struct VIEW_INFO {
  uint16_t reserved0;
  const char* path;                 // program file
  uint16_t left, top, right, bottom;
  uint8_t part_mode;                // 3 = copy selected parts into copy_path
  const volatile uint32_t* ticks;   // the host's free-running tick counter
  uint32_t tick_frequency;          // ticks per second
  uint8_t counts_down;              // non-zero: the counter counts down
  uint8_t orientation;              // '<', 'F', or anything else
  const char* axes;                 // ISO: address letters of the first and second axis
  uint8_t reserved29[4];
  uint32_t options;                 // ISO: bit 0 swaps G2/G3, bit 12 swaps the centre words
  const char* copy_path;            // receives the selected shape parts
  uint32_t start_delay_ms;
  uint8_t format;                   // non-zero: Kerf format; 0: ISO
  uint8_t diameter;                 // ISO, non-zero: the first axis value is a diameter
  const char* text;                 // ISO program in host memory (empty path)
  uint32_t text_length;
};
#pragma pack(pop)
static_assert(offsetof(VIEW_INFO, path) == 2);
static_assert(offsetof(VIEW_INFO, left) == 6);
static_assert(offsetof(VIEW_INFO, top) == 8);
static_assert(offsetof(VIEW_INFO, right) == 10);
static_assert(offsetof(VIEW_INFO, bottom) == 12);
static_assert(offsetof(VIEW_INFO, part_mode) == 14);
static_assert(offsetof(VIEW_INFO, ticks) == 15);
static_assert(offsetof(VIEW_INFO, tick_frequency) == 19);
static_assert(offsetof(VIEW_INFO, counts_down) == 23);
static_assert(offsetof(VIEW_INFO, orientation) == 24);
static_assert(offsetof(VIEW_INFO, axes) == 25);
static_assert(offsetof(VIEW_INFO, options) == 33);
static_assert(offsetof(VIEW_INFO, copy_path) == 37);
static_assert(offsetof(VIEW_INFO, start_delay_ms) == 41);
static_assert(offsetof(VIEW_INFO, format) == 45);
static_assert(offsetof(VIEW_INFO, diameter) == 46);
static_assert(offsetof(VIEW_INFO, text) == 47);
static_assert(offsetof(VIEW_INFO, text_length) == 51);

// Milliseconds of the host's tick counter (the views' common rule).
inline uint32_t ViewMilliseconds(const VIEW_INFO* info) {
  return ViewMilliseconds(info->ticks, info->tick_frequency, info->counts_down != 0);
}
