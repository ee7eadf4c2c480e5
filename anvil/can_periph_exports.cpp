// PREFIX_IO8 and DATA_IO8: the CAN peripheral screen's exports, the node
// selection over the host's tables and the actions the host sets.
#include "anvil/can_periph_screen.h"
#include "bridge/host_api.h"

namespace anvil {
namespace {

enum Io8Action : uint8_t { kActionType = 2, kActionNode = 3, kActionSend = 5, kActionKey = 6 };

Io8Screen g_screen;

// The host's table of a type and its node count (the terminal has one).
struct Io8Table {
  uint8_t* start;  // null: no shared memory or no table
  uint32_t count;
};

Io8Table TableOf(const _FORMAT_IO8* r, uint8_t type) {
  const uint32_t base = RecordGet<uint32_t>(r, offsetof(_FORMAT_IO8, shared_memory));
  if (base == 0) return Io8Table{nullptr, 0};
  const uint8_t* shared = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(base));
  const uint32_t table_at = type == kIo8Modules ? kIo8TableModules
                            : type == kIo8Keyboards ? kIo8TableKeyboards : kIo8TableTerminal;
  const uint32_t start = RecordGet<uint32_t>(shared, table_at);
  uint32_t count = 1;
  if (type == kIo8Modules) count = shared[kIo8CountModules];
  if (type == kIo8Keyboards) count = shared[kIo8CountKeyboards];
  return Io8Table{reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(start)), count};
}

uint32_t& SelectedIndex(Io8Screen& s) { return s.node[s.type - 1]; }

// The selected node's record (null without a table). An index the host's
// count no longer covers falls back to node 0, which every table has.
uint8_t* SelectNode(const _FORMAT_IO8* r, Io8Screen& s) {
  const Io8Table table = TableOf(r, s.type);
  uint32_t& index = SelectedIndex(s);
  if (index >= table.count) index = 0;
  if (table.start == nullptr) return nullptr;
  const uint16_t size = RecordGet<uint16_t>(table.start, offsetof(Io8Node, size));
  return table.start + index * size;
}

// Node after the selected one, wrapping at the count; with no nodes the
// selection stays on node 0.
void NextNode(const _FORMAT_IO8* r, Io8Screen& s) {
  if (s.type == kIo8Terminal) return;
  const uint32_t count = TableOf(r, s.type).count;
  uint32_t& index = SelectedIndex(s);
  index = index + 1 < count ? index + 1 : 0;
}

// The dialog's request into the node's record, then the flag that asks the
// host's CAN driver to send it. The index and subindex also go into the
// response so that the answer is shown against its request.
void SendRequest(uint8_t* node, const SdoDialog& sdo) {
  if (node == nullptr) return;
  const uint32_t index = SdoNumber(sdo.text[kSdoIndex]), subindex = SdoNumber(sdo.text[kSdoSubindex]);
  RecordSet<uint8_t>(node, offsetof(Io8Node, request_rw), static_cast<uint8_t>(SdoNumber(sdo.text[kSdoReadWrite])));
  RecordSet<uint16_t>(node, offsetof(Io8Node, request_index), static_cast<uint16_t>(index));
  RecordSet<uint16_t>(node, offsetof(Io8Node, response_index), static_cast<uint16_t>(index));
  RecordSet<uint8_t>(node, offsetof(Io8Node, request_subindex), static_cast<uint8_t>(subindex));
  RecordSet<uint8_t>(node, offsetof(Io8Node, response_subindex), static_cast<uint8_t>(subindex));
  RecordSet<uint32_t>(node, offsetof(Io8Node, request_data), SdoNumber(sdo.text[kSdoData]));
  RecordSet<uint8_t>(node, offsetof(Io8Node, sdo_request_flag), 1);
}

// Step 1: the selected node, and the data captions of its type when
// another type's are on screen.
uint8_t* Select(const _FORMAT_IO8* r, const Io8Layout& layout, Io8Screen& s) {
  uint8_t* node = SelectNode(r, s);
  if (s.captions != s.type) {
    Io8DrawDataCaptions(layout, s.type);
    s.captions = s.type;
  }
  return node;
}

}  // namespace
}  // namespace anvil

using namespace anvil;

// Draws the screen's frame for the record's layout and builds the SDO
// dialog afresh on the whole screen; the data captions follow with the
// first DATA_IO8.
LIB_EXPORT uint32_t PREFIX_IO8(_FORMAT_IO8* record) {
  if (record == nullptr) return 0;
  const Io8Layout layout = Io8LayoutOf(RecordGet<uint8_t>(record, offsetof(_FORMAT_IO8, layout)));
  SdoDialogReset(&g_screen.sdo);
  g_screen.captions = 0;
  Io8DrawFrame(layout, g_screen.sdo);
  return 0;
}

// Handles the record's action and repaints every value. A selection the
// action changes is shown by the same call.
LIB_EXPORT uint32_t DATA_IO8(_FORMAT_IO8* record) {
  if (record == nullptr) return 0;
  Io8Screen& s = g_screen;
  const Io8Layout layout = Io8LayoutOf(RecordGet<uint8_t>(record, offsetof(_FORMAT_IO8, layout)));
  uint8_t* node = Select(record, layout, s);
  const uint8_t action = RecordGet<uint8_t>(record, offsetof(_FORMAT_IO8, action));
  const uint8_t key = RecordGet<uint8_t>(record, offsetof(_FORMAT_IO8, key));
  if (action == kActionType) {
    s.type = static_cast<uint8_t>(s.type % 3 + 1);
  } else if (action == kActionNode) {
    NextNode(record, s);
  } else if (action == kActionSend && layout.whole) {
    SendRequest(node, s.sdo);
  } else if (action == kActionKey && layout.whole && key != 0) {
    RecordSet<uint8_t>(record, offsetof(_FORMAT_IO8, key), 0);
    if (SdoDialogKey(&s.sdo, key)) Io8DrawSdoFields(s.sdo);
  }
  RecordSet<uint8_t>(record, offsetof(_FORMAT_IO8, action), 0);
  if (action == kActionType || action == kActionNode) node = Select(record, layout, s);
  Io8DrawValues(layout, s.type, SelectedIndex(s), node);
  return 0;
}
