// The records of libMosaic's exports. Both are byte-packed, little-endian,
// with 32-bit pointers, filled and owned by the host. The services record
// they point at begins like STRUCT_TRACER: a 16-bit field, the dispatch
// entry at 2 and the display block (palette and service handles) at 6.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "tracer/tracer_record.h"

#pragma pack(push, 1)
struct STRUCT_COMMONDIAL {
  uint8_t reserved0[6];
  const uint8_t* serviceBlock;        // palette bytes 20, 21, 22, 25, 27, 29
  const STRUCT_TRACER* services;      // dispatch entry and service handles
};

struct STRUCT_DISPLAYWL {
  uint8_t reserved0[6];
  const uint8_t* serviceBlock;        // palette bytes 20, 21, 22, 25, 27, 29, 33
  const STRUCT_TRACER* services;      // dispatch entry and service handles
  const uint8_t* hostMemory;          // the control's shared memory block
  uint8_t mode;                       // 1 convert coordinates, else draw the window
  double* firstOut;                   // receives the first converted coordinate
  double* secondOut;                  // receives the second
  const uint32_t* coordinateWords;    // words 229 and 230: BCD coordinates
};
#pragma pack(pop)

static_assert(offsetof(STRUCT_COMMONDIAL, serviceBlock) == 6);
static_assert(offsetof(STRUCT_COMMONDIAL, services) == 10);
static_assert(sizeof(STRUCT_COMMONDIAL) == 14);
static_assert(offsetof(STRUCT_DISPLAYWL, serviceBlock) == 6);
static_assert(offsetof(STRUCT_DISPLAYWL, services) == 10);
static_assert(offsetof(STRUCT_DISPLAYWL, hostMemory) == 14);
static_assert(offsetof(STRUCT_DISPLAYWL, mode) == 18);
static_assert(offsetof(STRUCT_DISPLAYWL, firstOut) == 19);
static_assert(offsetof(STRUCT_DISPLAYWL, secondOut) == 23);
static_assert(offsetof(STRUCT_DISPLAYWL, coordinateWords) == 27);
static_assert(sizeof(STRUCT_DISPLAYWL) == 31);

// Byte offsets in the shared memory block.
constexpr uint32_t kMemTransformFlags = 2787630;  // bit 1: transformation active
constexpr uint32_t kMemTransformVariant = 2787632;  // bits 3-4: 01 variant A, 10 variant B
constexpr uint32_t kMemTransformCoefficients = 2787664;  // m0..m8, 80-bit extended, 10 bytes each
constexpr uint32_t kMemHeightCorrection2 = 2793770;  // i32, eighths of a micrometre
constexpr uint32_t kMemMosaicEnd = kMemHeightCorrection2 + 4;
constexpr uint32_t kCoordinateWordSecond = 229, kCoordinateWordFirst = 230;
constexpr uint8_t kDisplayWlConvert = 1;
