// PREPROC_INFO: the record the host passes to PreprocessStart,
// PreprocessCont and PreprocessStop.
#pragma once

#include "bridge/host_api.h"
#include "bridge/view_clock.h"

#pragma pack(push, 1)
struct PREPROC_INFO {
  uint16_t reserved0;               // not read
  const char* source_path;          // the parametric program
  const char* destination_path;     // receives the ISO program
  uint16_t left, top, right, bottom;  // screen area, pixels
  const volatile uint32_t* ticks;   // the host's clock counter
  uint32_t tick_frequency;          // counts per second
  uint8_t counts_down;              // non-zero: the counter counts downward
  uint8_t key_waiting;              // 1: an operator key is waiting in `key`
  char key;                         // the waiting key
  int32_t skip_slash;               // non-zero: lines starting with "/" are dropped
};
#pragma pack(pop)
static_assert(sizeof(PREPROC_INFO) == 33);
static_assert(offsetof(PREPROC_INFO, source_path) == 2);
static_assert(offsetof(PREPROC_INFO, destination_path) == 6);
static_assert(offsetof(PREPROC_INFO, left) == 10);
static_assert(offsetof(PREPROC_INFO, top) == 12);
static_assert(offsetof(PREPROC_INFO, right) == 14);
static_assert(offsetof(PREPROC_INFO, bottom) == 16);
static_assert(offsetof(PREPROC_INFO, ticks) == 18);
static_assert(offsetof(PREPROC_INFO, tick_frequency) == 22);
static_assert(offsetof(PREPROC_INFO, counts_down) == 26);
static_assert(offsetof(PREPROC_INFO, key_waiting) == 27);
static_assert(offsetof(PREPROC_INFO, key) == 28);
static_assert(offsetof(PREPROC_INFO, skip_slash) == 29);
