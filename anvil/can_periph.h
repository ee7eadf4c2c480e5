// The CAN peripheral screen's host interface: its parameter record
// (_FORMAT_IO8), the node tables the host's CAN driver keeps for the
// second CAN line in its shared memory, and the node record they hold.
//
// The host owns all of it. The library reads the node records and writes
// only a node's SDO request (bytes 52-60), the request's index and
// subindex into the response fields (65-67) and the request flag (42).
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _FORMAT_IO8 {
  uint16_t reserved;      // not read
  uint8_t layout;         // 'C' whole screen, 'P' right half, anything else the left half
  uint8_t action;         // DATA_IO8's action (1 to 6); cleared once handled
  uint8_t key;            // key for the SDO dialog (action 6); cleared once handed over
  uint32_t shared_memory; // address of the host's shared memory block
};

// Character fields of the terminal (type 3) in bytes 28-35.
struct Io8TerminalText {
  uint8_t row, column;
  uint8_t chr[4];         // CHR1 to CHR4
  uint8_t size, invert;
};

// One node as the host's CAN driver keeps it. Records of a table are
// `size` bytes apart (the first record's size field); the host may keep
// more than these fields in a record.
struct Io8Node {
  uint16_t size;               // record size (read from node 0 only)
  uint8_t present;             // decimal
  uint8_t mode;                // decimal
  uint32_t vendor;             // vendor identity
  uint32_t name;               // device name, four characters, first in the low byte
  uint32_t hardware;           // hardware version, four characters
  uint32_t software;           // software version, four characters
  uint8_t inputs[4];           // IP0 to IP3 (types 1 and 2)
  uint8_t outputs[3];          // OP0 to OP2
  uint8_t unused27;
  union {
    uint8_t analog[8];         // type 1: ANL0 to ANL7
    Io8TerminalText terminal;  // type 3
  };
  uint8_t error_active;
  uint8_t error_code;
  uint8_t status;              // bit 1: time-out
  uint8_t control;
  uint8_t unused40[2];
  uint8_t sdo_request_flag;    // the library sets 1: the host sends the request
  uint8_t unused43[2];
  uint8_t short_circuit[3];    // outputs OP0 to OP2
  uint8_t unused48[4];
  uint8_t request_rw;          // SDO request: read/write code
  uint16_t request_index;
  uint8_t request_subindex;
  uint32_t request_data;
  uint8_t unused60[4];
  uint8_t response_rw;         // SDO response, written by the host
  uint16_t response_index;
  uint8_t response_subindex;
  uint32_t response_data;
  uint16_t rpdo_count;         // process data objects received
  uint16_t tpdo_count;         // process data objects transmitted
  uint16_t plc_input;          // type 1: first PLC input port
  uint16_t plc_output;         // type 1: first PLC output port
  uint8_t unused80[22];
  union {
    uint8_t keys[4];           // type 2: KEY0 to KEY3
    uint8_t text_lines[2];     // type 3: TL0, TL1
  };
  uint16_t counter1;           // types 2 and 3: incremental counters
  uint16_t counter2;
};
#pragma pack(pop)

static_assert(offsetof(_FORMAT_IO8, layout) == 2);
static_assert(offsetof(_FORMAT_IO8, action) == 3);
static_assert(offsetof(_FORMAT_IO8, key) == 4);
static_assert(offsetof(_FORMAT_IO8, shared_memory) == 5);
static_assert(sizeof(_FORMAT_IO8) == 9);

static_assert(offsetof(Io8Node, present) == 2);
static_assert(offsetof(Io8Node, mode) == 3);
static_assert(offsetof(Io8Node, vendor) == 4);
static_assert(offsetof(Io8Node, name) == 8);
static_assert(offsetof(Io8Node, hardware) == 12);
static_assert(offsetof(Io8Node, software) == 16);
static_assert(offsetof(Io8Node, inputs) == 20);
static_assert(offsetof(Io8Node, outputs) == 24);
static_assert(offsetof(Io8Node, analog) == 28);
static_assert(offsetof(Io8Node, terminal) == 28);
static_assert(offsetof(Io8TerminalText, chr) == 2 && offsetof(Io8TerminalText, size) == 6 &&
              sizeof(Io8TerminalText) == 8);
static_assert(offsetof(Io8Node, error_active) == 36);
static_assert(offsetof(Io8Node, error_code) == 37);
static_assert(offsetof(Io8Node, status) == 38);
static_assert(offsetof(Io8Node, control) == 39);
static_assert(offsetof(Io8Node, sdo_request_flag) == 42);
static_assert(offsetof(Io8Node, short_circuit) == 45);
static_assert(offsetof(Io8Node, request_rw) == 52);
static_assert(offsetof(Io8Node, request_index) == 53);
static_assert(offsetof(Io8Node, request_subindex) == 55);
static_assert(offsetof(Io8Node, request_data) == 56);
static_assert(offsetof(Io8Node, response_rw) == 64);
static_assert(offsetof(Io8Node, response_index) == 65);
static_assert(offsetof(Io8Node, response_subindex) == 67);
static_assert(offsetof(Io8Node, response_data) == 68);
static_assert(offsetof(Io8Node, rpdo_count) == 72);
static_assert(offsetof(Io8Node, tpdo_count) == 74);
static_assert(offsetof(Io8Node, plc_input) == 76);
static_assert(offsetof(Io8Node, plc_output) == 78);
static_assert(offsetof(Io8Node, keys) == 102);
static_assert(offsetof(Io8Node, text_lines) == 102);
static_assert(offsetof(Io8Node, counter1) == 106);
static_assert(offsetof(Io8Node, counter2) == 108);
static_assert(sizeof(Io8Node) == 110);

namespace anvil {

// Offsets in the host's shared memory block.
enum Io8Shared : uint32_t {
  kIo8TableModules = 2797830,   // pointer: type 1, input/output modules
  kIo8TableKeyboards = 2798918, // pointer: type 2, keyboards
  kIo8TableTerminal = 2797563,  // pointer: type 3, the terminal
  kIo8CountModules = 2797822,   // u8: type-1 nodes
  kIo8CountKeyboards = 2797825, // u8: type-2 nodes
};
static_assert(kIo8TableModules == 0x2AB106 && kIo8TableKeyboards == 0x2AB546 && kIo8TableTerminal == 0x2AAFFB &&
              kIo8CountModules == 0x2AB0FE && kIo8CountKeyboards == 0x2AB101);

enum Io8Type : uint8_t { kIo8Modules = 1, kIo8Keyboards = 2, kIo8Terminal = 3 };

// CAN node identifier of node `index` of a type: 33, 65 and 69 onwards.
inline uint32_t Io8NodeId(uint8_t type, uint32_t index) {
  return index + (type == kIo8Modules ? 33 : type == kIo8Keyboards ? 65 : 69);
}

}  // namespace anvil
