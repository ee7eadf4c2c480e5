// _PLOTLINE: the record the host passes to PREFIX_PLOTLINE and
// DATA_PLOTLINE, and the host block it points to.
#pragma once

#include "bridge/host_api.h"
#include "bridge/recordcnc.h"

#pragma pack(push, 1)
struct PlotlineAxis {
  char letter;
  uint8_t inverted;                 // non-zero: drawn in the negative direction
  char name[kAxisNameMax + 1];      // shown in the top line; read up to 10 characters
};

struct _PLOTLINE {
  uint8_t reserved0[6];
  uint16_t left, top, right, bottom;  // window, pixels, inclusive
  uint8_t key;                      // DATA_PLOTLINE: the key to handle (left as it is)
  uint8_t reserved15[4];
  uint8_t view_request;             // 1 plan, 2 axonometry, 3 perspective; bit 7 keeps the view
  uint8_t display_flags;            // bit 0 R, bit 1 D, taken when the view is built
  PlotlineAxis axis[3];
  double tool[3];                   // current tool position
  uint8_t reserved84[2];
  uint32_t host_block;              // address of PLOTLINE_HOST
  uint8_t reserved90[28];
  double sheet[6];                  // sheet box for the extents: minimum x y z, maximum x y z
  uint8_t reserved166[8];
  uint32_t program_name;            // address of a NUL-terminated text (0 = none)
  uint32_t second_name;
  uint8_t reserved182[8];
  uint8_t counts_down;              // non-zero: the tick counter counts down
  uint32_t block_reached;           // block number of the last block drawn step by step
  double area[6];                   // working area: minimum x y z, maximum x y z
};

// The host block at _PLOTLINE::host_block.
struct PLOTLINE_HOST {
  uint8_t reserved0[32];
  double sheet_outline[6];          // the sheet drawn: minimum x y z, maximum x y z
  uint8_t reserved80[4];
  uint32_t executed;                // blocks executed, counted along the iteration
  uint8_t reserved88[8];
  uint32_t ticks;                   // address of the tick counter (u32)
  uint32_t tick_frequency;          // ticks per second
};
#pragma pack(pop)

static_assert(sizeof(PlotlineAxis) == 13);
static_assert(offsetof(_PLOTLINE, left) == 6);
static_assert(offsetof(_PLOTLINE, top) == 8);
static_assert(offsetof(_PLOTLINE, right) == 10);
static_assert(offsetof(_PLOTLINE, bottom) == 12);
static_assert(offsetof(_PLOTLINE, key) == 14);
static_assert(offsetof(_PLOTLINE, view_request) == 19);
static_assert(offsetof(_PLOTLINE, display_flags) == 20);
static_assert(offsetof(_PLOTLINE, axis) == 21);
static_assert(offsetof(_PLOTLINE, axis) + offsetof(PlotlineAxis, inverted) == 22);
static_assert(offsetof(_PLOTLINE, axis) + offsetof(PlotlineAxis, name) == 23);
static_assert(offsetof(_PLOTLINE, axis) + sizeof(PlotlineAxis) == 34);
static_assert(offsetof(_PLOTLINE, axis) + 2 * sizeof(PlotlineAxis) == 47);
static_assert(offsetof(_PLOTLINE, axis) + 2 * sizeof(PlotlineAxis) + 2 == 49);
static_assert(offsetof(_PLOTLINE, tool) == 60);
static_assert(offsetof(_PLOTLINE, host_block) == 86);
static_assert(offsetof(_PLOTLINE, sheet) == 118);
static_assert(offsetof(_PLOTLINE, program_name) == 174);
static_assert(offsetof(_PLOTLINE, second_name) == 178);
static_assert(offsetof(_PLOTLINE, counts_down) == 190);
static_assert(offsetof(_PLOTLINE, block_reached) == 191);
static_assert(offsetof(_PLOTLINE, area) == 195);
static_assert(sizeof(_PLOTLINE) == 243);
static_assert(offsetof(PLOTLINE_HOST, sheet_outline) == 32);
static_assert(offsetof(PLOTLINE_HOST, executed) == 84);
static_assert(offsetof(PLOTLINE_HOST, ticks) == 96);
static_assert(offsetof(PLOTLINE_HOST, tick_frequency) == 100);
static_assert(sizeof(PLOTLINE_HOST) == 104);

// View requests and keys of DATA_PLOTLINE.
enum : uint8_t { kRequestPlan = 1, kRequestAxonometry = 2, kRequestPerspective = 3, kRequestKeep = 0x80 };
