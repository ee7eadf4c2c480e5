// The monitor's two packet lists: doubly linked nodes from the library's
// pool, a cursor and a first visible line each, the matching rule that
// folds repeated messages into one line, and the cursor keys.
#pragma once

#include <stdint.h>

#include "anvil/can_view.h"

namespace anvil {

#pragma pack(push, 1)
struct CanNode {
  CanNode* next;
  CanNode* prev;
  CanPacket packet;
};
#pragma pack(pop)
static_assert(sizeof(CanNode) == 39);

struct CanList {
  CanNode* head = nullptr;
  CanNode* cursor = nullptr;
  CanNode* top = nullptr;      // first visible line
  int32_t cursor_row = 0;      // row of the cursor in the pane
  int32_t rows = 0;            // visible rows (0 or more)
  int32_t y = 0;               // y of the first row
};

// Whether a node stands for packet p: the same identifier, and for the
// service-data identifiers 0x581 to 0x67F also the same length and D0-D3
// (their answers differ only there).
bool CanMatches(const CanPacket& node, const CanPacket& p);

enum class CanAdd {
  kAppended,    // a new line (the node is *node)
  kUpdated,     // a captured packet counted on an existing line (*node)
  kUnchanged,   // an entered packet already listed
  kNoMemory,    // the pool gave no node
  kNoTime,      // the clock moved on twice during the walk
};

// Adds p (its length taken as at most 8) as the monitor's capture does.
// `clock` (may be null) supplies the millisecond clock watched during the
// walk.
CanAdd CanListAdd(CanList* list, const CanPacket& p, const _CANVIEW* clock, CanNode** node);

// Frees every node and empties the list (its rows and y stay).
void CanListClear(CanList* list);
CanNode* CanListLast(const CanList* list);
// Cursor and top to the head, row 0.
void CanListHome(CanList* list);
// The cursor's row counted from the top line; a cursor outside the pane's
// rows becomes the top line (after the pane changed size).
void CanListPlaceCursor(CanList* list);

// The list keys (key code 1 characters); `swap` carries the packet with
// the cursor. Returns true when the cursor or the lines changed.
enum CanListKey : uint8_t {
  kCanKeyUp = 1, kCanKeyPageDown = 2, kCanKeyDown = 3, kCanKeyPageUp = 4, kCanKeyHome = 6,
  kCanKeyPageUp2 = 7, kCanKeyEnd = 8, kCanKeyPageDown2 = 9, kCanKeyDelete = 46,
};
bool CanListKey(CanList* list, uint8_t key, bool swap);

}  // namespace anvil
