// The records the signal scope shares with the host: the scope record
// `_GLINT`, the rows of the host's sample ring and the settings block kept
// in GlnSet.sys. All packed, little-endian, 32-bit pointers.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "bridge/host_api.h"

constexpr int kGlintChannels = 10;

#pragma pack(push, 1)
// One row of the sample ring: one millisecond of all ten channels.
struct GlintRow {
  int32_t values[kGlintChannels];
  uint8_t trigger;  // the first non-zero byte after a zero one is the trigger point
  uint8_t unused[7];
};

// The scope record, owned by the host and passed to PREFIX_GLINT and DATA_GLINT.
struct _GLINT {
  uint16_t size;                  // bytes; the export needs at least kGlintExportRecordSize
  HostDispatch dispatch;
  const uint8_t* display;         // display block: palette bytes 20..37, service words
  char layout;                    // 'C' whole area, 'L' left half, 'P' right half
  uint8_t key;                    // key code for DATA_GLINT
  uint8_t sweep_restart;          // non-zero: a running sweep starts again at the right edge
  const char* settings_dir;       // folder of GlnSet.sys
  const uint8_t* descriptors[5];  // descriptor k: byte 2 channel 2k, byte 3 channel 2k+1
  uint8_t reserved37;
  uint8_t running;                // non-zero while the host records
  uint8_t trigger_wait;           // non-zero while the host waits for the trigger
  const GlintRow* ring;
  uint32_t ring_length;           // rows
  uint32_t oldest;                // index of the oldest row
  uint32_t next;                  // index of the row the host writes next
  const char* export_path;
  uint8_t reserved60[4];
};

// One channel of the settings block.
struct GlintChannelSettings {
  uint32_t shown;   // 1 shown, 0 hidden
  uint32_t marked;
  uint32_t colour;  // palette byte 20..37 of the display block
  uint32_t scale;   // signal units per division
  uint32_t type;    // taken from the descriptors at every PREFIX_GLINT
};

// The contents of GlnSet.sys.
struct GlintSettings {
  uint32_t magic;
  GlintChannelSettings channels[kGlintChannels];
  uint32_t time_base;  // milliseconds per division
};
#pragma pack(pop)

static_assert(sizeof(GlintRow) == 48);
static_assert(offsetof(GlintRow, trigger) == 40);

static_assert(offsetof(_GLINT, dispatch) == 2);
static_assert(offsetof(_GLINT, display) == 6);
static_assert(offsetof(_GLINT, layout) == 10);
static_assert(offsetof(_GLINT, key) == 11);
static_assert(offsetof(_GLINT, sweep_restart) == 12);
static_assert(offsetof(_GLINT, settings_dir) == 13);
static_assert(offsetof(_GLINT, descriptors) == 17);
static_assert(offsetof(_GLINT, running) == 38);
static_assert(offsetof(_GLINT, trigger_wait) == 39);
static_assert(offsetof(_GLINT, ring) == 40);
static_assert(offsetof(_GLINT, ring_length) == 44);
static_assert(offsetof(_GLINT, oldest) == 48);
static_assert(offsetof(_GLINT, next) == 52);
static_assert(offsetof(_GLINT, export_path) == 56);
static_assert(sizeof(_GLINT) == 64);

static_assert(sizeof(GlintChannelSettings) == 20);
static_assert(offsetof(GlintSettings, channels) == 4);
static_assert(offsetof(GlintSettings, time_base) == 204);
static_assert(sizeof(GlintSettings) == 208);

constexpr uint32_t kGlintSettingsMagic = 0x0ABCBA01;
constexpr uint16_t kGlintExportRecordSize = 64;

// Channel types, derived from the descriptor byte of each channel.
enum GlintChannelType : uint32_t {
  kChannelDigital = 0,  // any other descriptor byte
  kChannelAnalog9 = 1,  // byte 9
  kChannelAnalog0 = 2,  // byte 0
  kChannelAnalog99 = 3, // byte 0x99
};

// Keys of DATA_GLINT.
enum GlintKey : uint8_t {
  kKeyRestart = 3,
  kKeySave = 5,
  kKeySaveToo = 10,
  kKeySelect = 11,
  kKeyMark = 12,
  kKeyShow = 13,
  kKeyAutoScale = 14,
  kKeyScaleDown = 20,
  kKeyScaleUp = 21,
  kKeyTimeBaseDown = 22,
  kKeyTimeBaseUp = 23,
  kKeyShiftBack = 24,
  kKeyShiftForward = 25,
  kKeyExport = 30,
};
