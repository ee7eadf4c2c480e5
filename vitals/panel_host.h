// What the system-information panel reads behind the pointers of `_VITALS`
// (vitals/vitals_records.h), as this library and its host agree on it.
// Everything is read when its field is painted, never cached.
//
// Field 14, technology status bytes:
//   +0  shift digit (low four bits shown)
//   +1  correction number, two BCD digits
//   +2  active correction digit ('0' to '9'; low four bits)
//   +3  active-process code (149 and 151 enable the special length field)
//   +4  u16 status, shown as "&" and four hexadecimal digits; digit k from
//       the left enables length row k (k = 1 to 4)
//
// Field 22, 32-bit words numbered like the machine constants:
//   words 1 to 3   low bytes: axis codes of the three first axes
//   words 4 to 6   each adds a correction row while its low byte is
//                  non-zero (3 to 6 rows)
//   word 749       bits 8-11: decimal places; when 0, word 584 bits 0-3;
//                  anything but 4 or 5 means 3
//   word 7         bits 24-27: display mode
//   word 8         bits 28-30: second-spindle variant when non-zero
// Field 82's word, bits 28-30: the axis configuration (step 16).
//
// Field 86, host memory:
//   0x2AA000 + 28 * n   correction number n (0 to 99): BCD radius, then the
//                       six BCD lengths
//   0x2AAC00 +0         u8 table changed (step 18)
//            +1         u8 counter changed (step 20)
//            +2         u8 field 90 changed (step 21)
//            +3         u8 warning colour for "S1." and "S2."
//            +4         i32 second-spindle counter
// Field 46: one tool digit per correction number (low four bits).
// A correction number above 99 shows "0.0" and no tool digit.
//
// Host painters, called through the dispatch entry:
//   field 50 (argument of field 34, 38 or 42, packed position at x 656)
//   fields 58 to 74 and 90 (packed position); field 78 (no arguments);
//   field 54 is not called.
#pragma once

#include <stdint.h>

enum : uint32_t {
  kPanelCorrections = 0x2AA000,
  kPanelCorrectionBytes = 28,
  kPanelCorrectionCount = 100,
  kPanelFlags = 0x2AAC00,
  kPanelFlagTable = 0,
  kPanelFlagCounter = 1,
  kPanelFlag90 = 2,
  kPanelFlagWarning = 3,
  kPanelCounter = 4,
};

enum : uint32_t {
  kTechShift = 0,
  kTechCorrection = 1,
  kTechDigit = 2,
  kTechProcess = 3,
  kTechStatus = 4,
  kTechBytes = 6,
};

enum : uint32_t {
  kWordAxis1 = 1,
  kWordRows4 = 4,
  kWordDisplayMode = 7,
  kWordVariant = 8,
  kWordDecimals = 749,
  kWordDecimalsFallback = 584,
};
