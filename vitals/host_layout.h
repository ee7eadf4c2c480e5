// Where the input/output, panel-test and drive screens find the host's
// values: offsets from the base of the host memory block (the block of the
// system-information record's field 86, or the SLM record's own base).
// All below 0x300000 and clear of the event log (0x2A87AE to 0x2A8C5A),
// the SLM channel blocks (0x2A8EF8 to 0x2A9C97) and the panel's
// corrections and flags (0x2AA000 to 0x2AAC07). Every value is only shown:
// none is used as a count, index or size.
#pragma once

#include <stdint.h>

// Port screens: one byte per port.
enum : uint32_t {
  kPortInputs = 0x2B0000,        // P1IN .. P40IN (40 bytes)
  kPortOutputs = 0x2B0040,       // P0OUT .. P29OU (30 bytes)
  kPortGroupsC = 0x2B0060,       // C0 .. C29: row Cn shows bytes n, n+1, n+2
  kPortGroupsVI = 0x2B0080,      // VI0 .. VI29, the same way
  kPortPanel1 = 0x2B00A0,        // P0MAT .. P7MAT, TOUTM (9 bytes)
  kPortPanel2 = 0x2B00B0,        // P0MT2 .. P7MT2, TOTM2 (9 bytes)
  kPortMarksA = 0x100,           // + a port's offset: bits set by hand (first byte)
  kPortMarksB = 0x200,           // + a port's offset: bits set by hand (second byte)
  kPortManualControl = 0x2B0300, // u8: non-zero while the host reports manual I/O control
  kPortColumnOrder = 0x2B0301,   // u8: non-zero: lists 3 and 4 lead
};

// Panel-test screen: panel p (0, 1) at + 0x100 p, module m (0 to 7) at
// + 16 m; the inputs at +0, the outputs at +8, each seven bytes in the
// order of the screen's rows: address, data (D0 to D7), status,
// count/error, version, system error, down.
enum : uint32_t {
  kPanelModules = 0x2B0400,
  kPanelModuleBytes = 16,
  kPanelOutputHalf = 8,
};

// SLM drive screen, channel c (0 to 15); bytes "per group" hold channels
// 4g+1 to 4g+4 in bits 0 to 3.
enum : uint32_t {
  kSlmChannels = 0x2A8EF8,       // 218-byte channel blocks (fixed by the host)
  kSlmChannelBytes = 218,
  kSlmDetected = 0x2B1000,       // u8 per group of four channels
  kSlmZeroFlag = 0x2B1004,       // u8 per group of four channels
  kSlmActive = 0x2B1008,         // u8 per channel, three digits
  kSlmIndexOffset = 0x2B1018,    // u8 per channel, three digits
  kSlmAction = 0x2B1028,         // u8 per channel, "1" when non-zero
  kSlmPosition = 0x2B1040,       // u16 per channel, five digits
  kSlmSpeed = 0x2B1060,          // i16 per channel (1 to 8), sign and five digits
  kSlmStatus = 0x2B1080,         // u16 per channel, drive status bits
  kSlmFault = 0x2B10A0,          // u16 per channel, fault status bits
  kSlmReference = 0x2B10C0,      // u16 per channel, reference-switch position
  kSlmReferenceSwitch = 0x2B10E0,// u8 per channel, "1" when non-zero
  kSlmLastOffset = 0x2B10F0,
};

// Axis-transformation screen.
enum : uint32_t {
  kTransFictive = 0x2B2000,      // i32 thousandths per axis (six)
  kTransReal = 0x2B2018,         // i32 thousandths per axis (six)
  kTransKinds = 0x2B2030,        // u8 per kind 2D(1), 2D(2), 3D(1): non-zero active
  kTransAngles = 0x2B2034,       // i32 thousandths of a degree, a1 to a3
  kTransLastOffset = 0x2B2040,
};

// The block handed over must reach this far for the screens to read it.
constexpr uint32_t kScreensHostBytes = 0x2B2040;
