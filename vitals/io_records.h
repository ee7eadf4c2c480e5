// The records of the input/output, panel, LED, keyboard-test, PLC
// interface and table screens of libVitals. All packed, little-endian,
// 32-bit pointers; what lies behind the host-memory offsets these screens
// read is in vitals/host_layout.h.
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
// Port screens (inputs, outputs, operator panel). The port bytes come from
// the host memory block of the system-information record.
struct _INOUT {
  uint8_t reserved0[54];
  char layout;                 // 'C' whole area, 'L' left half, 'P' right half
  uint8_t reserved55[35];
  uint8_t output_format;       // 0 standard rows; else group rows as three bytes
};

// Panel test screen.
struct _DGNPAN {
  uint8_t reserved0[2];
  char layout;
  uint8_t panel;               // 2 the second panel, anything else the first
};

// CNC-to-PLC command bits (PB) and PLC-to-CNC backward signals (BZH).
struct _PB_BZH {
  uint8_t reserved0[2];
  const uint8_t* commands;     // PB bytes: PB00 is bit 0 of byte 0; 8 bytes
  const uint8_t* signals;      // BZH bytes, laid out the same; 8 bytes
  char layout;
};

// LED strip.
struct _LEDDIODY {
  uint8_t reserved0[2];
  const uint8_t* leds;         // bit i: LED i from the left is lit
  const uint8_t* mode;         // 0 plain strip of eight, else labelled strip of five
};

// Keyboard test.
struct _LPTESTTLAC {
  uint8_t reserved0[2];
  char layout;                 // the key map only in 'C'; 'P' moves the texts right
  uint8_t redirection;         // 0, 1, 2: texts 452 to 454; above 2 no text
  char keyboard;               // D F G H M R
  uint8_t held[4];             // keys held now; at or above the key count: none
  uint16_t potentiometer[2];
};

// Table display: kept inert (no layout the host could fill is known).
struct _INDITAB;
#pragma pack(pop)

static_assert(offsetof(_INOUT, layout) == 54);
static_assert(offsetof(_INOUT, output_format) == 90);
static_assert(sizeof(_INOUT) == 91);

static_assert(offsetof(_DGNPAN, layout) == 2);
static_assert(offsetof(_DGNPAN, panel) == 3);
static_assert(sizeof(_DGNPAN) == 4);

static_assert(offsetof(_PB_BZH, commands) == 2);
static_assert(offsetof(_PB_BZH, signals) == 6);
static_assert(offsetof(_PB_BZH, layout) == 10);
static_assert(sizeof(_PB_BZH) == 11);

static_assert(offsetof(_LEDDIODY, leds) == 2);
static_assert(offsetof(_LEDDIODY, mode) == 6);
static_assert(sizeof(_LEDDIODY) == 10);

static_assert(offsetof(_LPTESTTLAC, layout) == 2);
static_assert(offsetof(_LPTESTTLAC, redirection) == 3);
static_assert(offsetof(_LPTESTTLAC, keyboard) == 4);
static_assert(offsetof(_LPTESTTLAC, held) == 5);
static_assert(offsetof(_LPTESTTLAC, potentiometer) == 9);
static_assert(offsetof(_LPTESTTLAC, potentiometer) + 2 == 11);
static_assert(sizeof(_LPTESTTLAC) == 13);
