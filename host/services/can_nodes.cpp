#include "host/services/can_nodes.h"

#include <stdio.h>
#include <string.h>

namespace host {
namespace {

constexpr uint32_t kAbortCommand = 0x05040001, kAbortNoObject = 0x06020000, kAbortNoSubindex = 0x06090011,
                   kAbortReadOnly = 0x06010002, kAbortSize = 0x06070010;

uint32_t Chars(const char (&four)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(four[0])) | static_cast<uint32_t>(static_cast<uint8_t>(four[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(four[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(four[3])) << 24;
}

uint32_t NodeId(uint8_t type, uint32_t index) { return anvil::Io8NodeId(type, index); }

// Bytes a download command carries (0: not given).
uint8_t DownloadSize(uint8_t command) {
  switch (command) {
    case 0x2F: return 1;
    case 0x2B: return 2;
    case 0x23: return 4;
    default: return 0;
  }
}

}  // namespace

std::string SdoExchange::Describe() const {
  char s[128];
  snprintf(s, sizeof s, "node 0x%02X (type %u, node %u): %02X %04X:%02X %08X -> %02X %08X",
           NodeId(type, node), type, node + 1, request_rw, index, subindex, request_data, response_rw,
           response_data);
  return s;
}

CanNodes::CanNodes(HostMemory& shared, uint32_t modules, uint32_t keyboards) : shared_(shared) {
  const uint32_t counts[3] = {modules > 255 ? 255 : modules, keyboards > 255 ? 255 : keyboards, 1};
  const uint32_t table_at[3] = {anvil::kIo8TableModules, anvil::kIo8TableKeyboards, anvil::kIo8TableTerminal};
  for (uint8_t type = 1; type <= 3; ++type) {
    const int slot = Slot(type);
    const uint32_t records = counts[slot] > 0 ? counts[slot] : 1;
    tables_[slot].assign(records * kRecordSize, 0);
    dictionaries_[slot].resize(records);
    for (uint32_t i = 0; i < records; ++i) Fill(type, i, *node(type, i));
    shared_.Set<uint32_t>(table_at[slot], static_cast<uint32_t>(reinterpret_cast<uintptr_t>(table(type))));
  }
  SetCount(1, static_cast<uint8_t>(counts[0]));
  SetCount(2, static_cast<uint8_t>(counts[1]));
}

Io8Node* CanNodes::node(uint8_t type, uint32_t index) {
  if (index >= capacity(type)) return nullptr;
  return reinterpret_cast<Io8Node*>(table(type) + index * kRecordSize);
}

void CanNodes::SetCount(uint8_t type, uint8_t count) {
  if (type == 1) shared_.Set<uint8_t>(anvil::kIo8CountModules, count);
  if (type == 2) shared_.Set<uint8_t>(anvil::kIo8CountKeyboards, count);
}

// Values that differ per node and type: module i has its PLC ports in
// blocks of four inputs and three outputs, keyboards count their wheels,
// the terminal shows a character at row 4.
void CanNodes::Fill(uint8_t type, uint32_t index, Io8Node& n) {
  const uint8_t k = static_cast<uint8_t>(index);
  n.size = kRecordSize;
  n.present = 1;
  n.mode = 5;  // operational
  n.vendor = type == 3 ? 0x1B7 : 0x29A;
  n.name = type == 1 ? Chars("IO16") : type == 2 ? Chars("KB32") : Chars("TERM");
  n.hardware = Chars("1.20");
  n.software = type == 1 ? Chars("2.07") : Chars("3.10");
  n.status = static_cast<uint8_t>(0x01 | (type == 1 && index == 2 ? 0x02 : 0));
  n.control = 0x05;
  n.rpdo_count = static_cast<uint16_t>(0x1200 + 0x11 * index);
  n.tpdo_count = static_cast<uint16_t>(0x0860 + 0x07 * index);
  for (int i = 0; i < 4; ++i) n.inputs[i] = static_cast<uint8_t>(0x10 * (i + 1) + k);
  for (int i = 0; i < 3; ++i) n.outputs[i] = static_cast<uint8_t>(0xA0 + 0x0B * i + k);
  if (type == 1) {
    for (int i = 0; i < 8; ++i) n.analog[i] = static_cast<uint8_t>(0x30 + 0x09 * i + k);
    n.plc_input = static_cast<uint16_t>(4 * index);
    n.plc_output = static_cast<uint16_t>(3 * index);
    if (index == 1) {  // a short circuit on OP1
      n.short_circuit[1] = 1;
      n.error_active = 1;
      n.error_code = 0x23;
    }
  } else if (type == 2) {
    for (int i = 0; i < 4; ++i) n.keys[i] = static_cast<uint8_t>(1u << ((i + k) % 8));
    n.counter1 = static_cast<uint16_t>(0x1234 + index);
    n.counter2 = static_cast<uint16_t>(0xFF10 - index);
  } else {
    n.terminal = Io8TerminalText{4, 20, {'C', 'U', 'T', '1'}, 2, 0};
    n.text_lines[0] = 0x01;
    n.text_lines[1] = 0x80;
    n.counter1 = 0x0042;
    n.counter2 = 0x01FE;
  }
  const int in = offsetof(Io8Node, inputs), out = offsetof(Io8Node, outputs);
  const uint32_t device_type = type == 1 ? 0x00030191 : type == 2 ? 0x00000195 : 0x00000196;
  std::vector<Object>& d = dictionaries_[Slot(type)][index];
  d = {
      {0x1000, 0, 4, false, device_type, -1},
      {0x1008, 0, 4, false, 0, offsetof(Io8Node, name)},
      {0x1009, 0, 4, false, 0, offsetof(Io8Node, hardware)},
      {0x100A, 0, 4, false, 0, offsetof(Io8Node, software)},
      {0x1017, 0, 2, true, 1000, -1},
      {0x1018, 1, 4, false, 0, offsetof(Io8Node, vendor)},
      {0x6000, 1, 1, false, 0, in}, {0x6000, 2, 1, false, 0, in + 1},
      {0x6000, 3, 1, false, 0, in + 2}, {0x6000, 4, 1, false, 0, in + 3},
      {0x6200, 1, 1, true, 0, out}, {0x6200, 2, 1, true, 0, out + 1}, {0x6200, 3, 1, true, 0, out + 2},
  };
}

void CanNodes::Answer(uint8_t type, uint32_t index, Io8Node& n, SdoExchange* x) {
  uint8_t* record = reinterpret_cast<uint8_t*>(&n);
  x->type = type;
  x->node = index;
  x->request_rw = n.request_rw;
  x->index = n.request_index;
  x->subindex = n.request_subindex;
  x->request_data = n.request_data;
  const bool upload = n.request_rw == kUpload;
  const uint8_t size = DownloadSize(n.request_rw);
  uint32_t abort = 0;
  Object* object = nullptr;
  bool index_known = false;
  for (Object& o : dictionaries_[Slot(type)][index]) {
    index_known = index_known || o.index == n.request_index;
    if (o.index == n.request_index && o.subindex == n.request_subindex) object = &o;
  }
  if (!upload && size == 0 && n.request_rw != kDownloadAny) abort = kAbortCommand;
  else if (object == nullptr) abort = index_known ? kAbortNoSubindex : kAbortNoObject;
  else if (!upload && !object->writable) abort = kAbortReadOnly;
  else if (!upload && size != 0 && size != object->size) abort = kAbortSize;
  uint32_t value = 0;
  if (abort == 0 && upload) {
    value = object->value;
    if (object->record_at >= 0) memcpy(&value, record + object->record_at, object->size);
  } else if (abort == 0) {
    uint32_t mask = object->size == 4 ? 0xFFFFFFFFu : (1u << (8 * object->size)) - 1;
    object->value = n.request_data & mask;
    if (object->record_at >= 0) memcpy(record + object->record_at, &object->value, object->size);
  }
  n.response_rw = abort != 0 ? kAbort : !upload ? kDownloadResponse
                                 : static_cast<uint8_t>(0x43 | ((4 - object->size) << 2));
  n.response_index = n.request_index;
  n.response_subindex = n.request_subindex;
  n.response_data = abort != 0 ? abort : value;
  n.sdo_request_flag = 0;
  x->response_rw = n.response_rw;
  x->response_data = n.response_data;
}

std::vector<SdoExchange> CanNodes::Step() {
  std::vector<SdoExchange> answered;
  for (uint8_t type = 1; type <= 3; ++type)
    for (uint32_t i = 0; i < capacity(type); ++i) {
      Io8Node& n = *node(type, i);
      if (n.sdo_request_flag != 1) continue;
      answered.emplace_back();
      Answer(type, i, n, &answered.back());
    }
  return answered;
}

}  // namespace host
