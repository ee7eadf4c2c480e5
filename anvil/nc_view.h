// The NC program viewer's record (_NC_VIEW), as the host fills it.
//
// The host hands the program text once (NcViewInit), opens a viewer
// (NcViewStart) and then calls NcViewCont periodically: one text line is
// painted per call until the page is complete, after which the record's
// event (a key, or a block to follow) is handled.
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _NC_VIEW {
  uint16_t reserved;        // not read
  uint8_t event;            // NcViewCont: 1 = a key, 30 = follow a block
  uint8_t key;              // key character (event 1)
  const char* text;         // program text (NcViewInit); null = empty
  uint32_t length;          // its length in bytes (NcViewInit)
  uint16_t left, top, right, bottom;  // the window
  const char* title;        // title text; null = empty
  uint32_t block;           // block being executed, sign-magnitude BCD (event 30)
  uint8_t unused[9];        // not read
  const char* status;       // short status text at the top right; null = empty
  uint8_t viewer;           // viewer number 0 to 3
  uint8_t colouring;        // 0 = every character in colour 0
};
#pragma pack(pop)

static_assert(offsetof(_NC_VIEW, event) == 2);
static_assert(offsetof(_NC_VIEW, key) == 3);
static_assert(offsetof(_NC_VIEW, text) == 4);
static_assert(offsetof(_NC_VIEW, length) == 8);
static_assert(offsetof(_NC_VIEW, left) == 12);
static_assert(offsetof(_NC_VIEW, top) == 14);
static_assert(offsetof(_NC_VIEW, right) == 16);
static_assert(offsetof(_NC_VIEW, bottom) == 18);
static_assert(offsetof(_NC_VIEW, title) == 20);
static_assert(offsetof(_NC_VIEW, block) == 24);
static_assert(offsetof(_NC_VIEW, status) == 37);
static_assert(offsetof(_NC_VIEW, viewer) == 41);
static_assert(offsetof(_NC_VIEW, colouring) == 42);
static_assert(sizeof(_NC_VIEW) == 43);

namespace anvil {

enum : uint8_t { kNcEventKey = 1, kNcEventFollow = 30 };
constexpr uint32_t kNcViewers = 4;
constexpr uint32_t kNcTextLimit = 499900;     // longest program kept
constexpr uint32_t kNcBufferSize = 500000;    // the program buffer's usual size
enum : uint32_t { kNcTextHint = 32, kNcTextMemory = 33 };
constexpr uint32_t kNcErrorMemory = 33;

}  // namespace anvil
