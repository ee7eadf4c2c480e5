// Packet lists: adding with the matching rule, cursor movement, deletion.
#include "anvil/can_lists.h"

#include "anvil/anvil_init.h"
#include "anvil/can_bus.h"

namespace anvil {
namespace {

constexpr uint16_t kServiceFirst = 0x581, kServiceLast = 0x67F;

CanNode* NewNode(const CanPacket& p) {
  uint32_t block = AnvilAlloc(sizeof(CanNode));
  if (block == 0) return nullptr;
  CanNode* n = reinterpret_cast<CanNode*>(static_cast<uintptr_t>(block));
  n->next = n->prev = nullptr;
  n->packet = p;
  return n;
}

void FreeNode(CanNode* n) { AnvilFree(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(n))); }

// The cursor's row from the top line; a cursor outside the pane becomes
// the top line.
void PlaceCursor(CanList* l) {
  int32_t row = 0;
  if (l->top == nullptr) l->top = l->cursor;
  for (CanNode* n = l->top; n != nullptr && row < l->rows; n = n->next, ++row)
    if (n == l->cursor) {
      l->cursor_row = row;
      return;
    }
  l->top = l->cursor;
  l->cursor_row = 0;
}

void SwapPackets(CanNode* a, CanNode* b) {
  CanPacket t = a->packet;
  a->packet = b->packet;
  b->packet = t;
}

bool MoveCursor(CanList* l, CanNode* to, bool swap) {
  if (to == nullptr || to == l->cursor) return false;
  if (swap) SwapPackets(l->cursor, to);
  l->cursor = to;
  return true;
}

CanNode* Step(CanNode* n, int32_t lines, bool forward) {
  for (; lines > 0; --lines) {
    CanNode* next = forward ? n->next : n->prev;
    if (next == nullptr) break;
    n = next;
  }
  return n;
}

bool Delete(CanList* l) {
  CanNode* gone = l->cursor;
  CanNode* after = gone->next != nullptr ? gone->next : gone->prev;
  if (gone->prev != nullptr) gone->prev->next = gone->next;
  else l->head = gone->next;
  if (gone->next != nullptr) gone->next->prev = gone->prev;
  if (l->top == gone) l->top = gone->next != nullptr ? gone->next : gone->prev;
  l->cursor = after;
  FreeNode(gone);
  if (l->head == nullptr) {
    l->cursor = l->top = nullptr;
    l->cursor_row = 0;
  } else {
    PlaceCursor(l);
  }
  return true;
}

}  // namespace

bool CanMatches(const CanPacket& node, const CanPacket& p) {
  if (node.id != p.id) return false;
  if (p.id < kServiceFirst || p.id > kServiceLast) return true;
  return node.length == p.length && node.data[0] == p.data[0] && node.data[1] == p.data[1] &&
         node.data[2] == p.data[2] && node.data[3] == p.data[3];
}

CanAdd CanListAdd(CanList* l, const CanPacket& given, const _CANVIEW* clock, CanNode** node) {
  CanPacket p = given;
  if (p.length > 8) p.length = 8;
  *node = nullptr;
  if (l->head == nullptr) {
    CanNode* n = NewNode(p);
    if (n == nullptr) return CanAdd::kNoMemory;
    l->head = l->cursor = l->top = n;
    l->cursor_row = 0;
    *node = n;
    return CanAdd::kAppended;
  }
  CanClock start = clock != nullptr ? CanClockOf(clock) : CanClock{false, 0};
  uint32_t seen = start.ms;
  int moves = 0;
  CanNode* last = nullptr;
  for (CanNode* n = l->head; n != nullptr; last = n, n = n->next) {
    if (start.running) {
      uint32_t now = CanClockOf(clock).ms;
      if (now != seen && (seen = now, ++moves) >= 2) return CanAdd::kNoTime;
    }
    if (!CanMatches(n->packet, p)) continue;
    if (p.entered != 0) return CanAdd::kUnchanged;
    CanPacket old = n->packet;
    n->packet = p;
    n->packet.count = old.count + 1;
    n->packet.period = p.time - old.time;
    if (old.entered != 0) {
      // A line the operator entered: its first arrival has no period.
      if (n->packet.count < 2) n->packet.period = 0;
      n->packet.entered = 1;
    }
    n->packet.period_max = n->packet.period > old.period_max ? n->packet.period : old.period_max;
    *node = n;
    return CanAdd::kUpdated;
  }
  CanNode* n = NewNode(p);
  if (n == nullptr) return CanAdd::kNoMemory;
  n->prev = last;
  last->next = n;
  *node = n;
  return CanAdd::kAppended;
}

void CanListClear(CanList* l) {
  for (CanNode* n = l->head; n != nullptr;) {
    CanNode* next = n->next;
    FreeNode(n);
    n = next;
  }
  l->head = l->cursor = l->top = nullptr;
  l->cursor_row = 0;
}

CanNode* CanListLast(const CanList* l) {
  CanNode* n = l->head;
  while (n != nullptr && n->next != nullptr) n = n->next;
  return n;
}

void CanListPlaceCursor(CanList* l) { PlaceCursor(l); }

void CanListHome(CanList* l) {
  l->cursor = l->top = l->head;
  l->cursor_row = 0;
}

bool CanListKey(CanList* l, uint8_t key, bool swap) {
  if (l->cursor == nullptr || l->rows <= 0) return false;
  int32_t page = l->rows - 1;
  switch (key) {
    case kCanKeyUp:
      if (!MoveCursor(l, l->cursor->prev, swap)) return false;
      if (l->cursor_row > 0) --l->cursor_row;
      else l->top = l->cursor;
      return true;
    case kCanKeyDown:
      if (!MoveCursor(l, l->cursor->next, swap)) return false;
      if (l->cursor_row < l->rows - 1) ++l->cursor_row;
      else l->top = l->top->next;
      return true;
    case kCanKeyPageDown:
    case kCanKeyPageDown2:
    case kCanKeyPageUp:
    case kCanKeyPageUp2: {
      bool forward = key == kCanKeyPageDown || key == kCanKeyPageDown2;
      MoveCursor(l, Step(l->cursor, page, forward), swap);
      l->top = l->cursor;
      l->cursor_row = 0;
      return true;
    }
    case kCanKeyHome:
      MoveCursor(l, l->head, swap);
      l->top = l->cursor;
      l->cursor_row = 0;
      return true;
    case kCanKeyEnd:
      MoveCursor(l, CanListLast(l), swap);
      l->top = l->cursor;
      l->cursor_row = 0;
      return true;
    case kCanKeyDelete:
      return swap ? false : Delete(l);
    default:
      return false;
  }
}

}  // namespace anvil
