// The records of the drive and axis screens of libVitals: SLM drives,
// servo channels, ECC memory, axis transformation, nonlinear corrections
// and axis cards. All packed, little-endian, 32-bit pointers.
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _DGSLM {
  uint8_t reserved0[2];
  char layout;
  uint8_t key;                    // 1 next channel, 2 other parameter set; cleared after use
  uint8_t available;              // 0: text 291 only
  const uint8_t* base;            // host memory block
  const uint8_t* errors;          // error bytes of channels 1 to 8
  const uint16_t* drive_command;  // bit 0 enable, bits 8 and 9 PID selector
};

// The block behind `_DGSERVO::pointers`, channel k (0 to 15) at index k.
struct SERVO_POINTERS {
  const uint16_t* enable_mask;    // bit k: channel k + 1 on
  const uint8_t* links;           // two bytes per channel, the first shown
  const int32_t* differences;     // thousandths
  const int32_t* entries;
  const int32_t* positions;
};

struct _DGSERVO {
  uint8_t reserved0[2];
  char layout;
  uint8_t available;              // 0: text 292 only
  const SERVO_POINTERS* pointers;
};

struct _DGNECC {
  uint8_t reserved0[2];
  uint16_t vendor;
  uint16_t device;
  uint8_t supported;
  uint8_t enabled;                // chipset register 0x78
  uint8_t dimm[3];                // bit 7 ECC in the chip, bits 0-6 single-bit errors
  uint8_t multi_bit;
  uint8_t display_option;
  char layout;
  uint8_t system_temperature;     // bit 7 set: not available
  uint8_t processor_temperature;  // bit 7 set: not available
};

struct _TRANS {
  uint8_t reserved0[2];
  char layout;
  uint8_t reserved3[4];
  const uint32_t* axis_codes;     // six codes, one in each 32-bit slot
};

struct _NKOR {
  uint8_t reserved0[2];
  char layout;
};

struct _SU4 {
  uint8_t reserved0[2];
  char layout;
};
#pragma pack(pop)

static_assert(offsetof(_DGSLM, layout) == 2);
static_assert(offsetof(_DGSLM, key) == 3);
static_assert(offsetof(_DGSLM, available) == 4);
static_assert(offsetof(_DGSLM, base) == 5);
static_assert(offsetof(_DGSLM, errors) == 9);
static_assert(offsetof(_DGSLM, drive_command) == 13);
static_assert(sizeof(_DGSLM) == 17);

static_assert(offsetof(SERVO_POINTERS, links) == 4);
static_assert(offsetof(SERVO_POINTERS, differences) == 8);
static_assert(offsetof(SERVO_POINTERS, entries) == 12);
static_assert(offsetof(SERVO_POINTERS, positions) == 16);
static_assert(sizeof(SERVO_POINTERS) == 20);
static_assert(offsetof(_DGSERVO, layout) == 2);
static_assert(offsetof(_DGSERVO, available) == 3);
static_assert(offsetof(_DGSERVO, pointers) == 4);
static_assert(sizeof(_DGSERVO) == 8);

static_assert(offsetof(_DGNECC, vendor) == 2);
static_assert(offsetof(_DGNECC, device) == 4);
static_assert(offsetof(_DGNECC, supported) == 6);
static_assert(offsetof(_DGNECC, enabled) == 7);
static_assert(offsetof(_DGNECC, dimm) == 8);
static_assert(offsetof(_DGNECC, multi_bit) == 11);
static_assert(offsetof(_DGNECC, display_option) == 12);
static_assert(offsetof(_DGNECC, layout) == 13);
static_assert(offsetof(_DGNECC, system_temperature) == 14);
static_assert(offsetof(_DGNECC, processor_temperature) == 15);
static_assert(sizeof(_DGNECC) == 16);

static_assert(offsetof(_TRANS, layout) == 2);
static_assert(offsetof(_TRANS, axis_codes) == 7);
static_assert(sizeof(_TRANS) == 11);

static_assert(offsetof(_NKOR, layout) == 2);
static_assert(offsetof(_SU4, layout) == 2);
