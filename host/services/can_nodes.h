// The simulator's CAN peripherals on the second CAN line: the node tables
// of the three device types as the control's CAN driver keeps them in the
// host's shared memory (anvil/can_periph.h gives the offsets and the node
// record), and the driver's answer to the SDO requests Anvil's peripheral
// screen raises.
//
// A CanNodes owns, for as long as it lives:
//   - one table per type, records kRecordSize bytes apart (the size in
//     node 0's first two bytes), at least one record each (the terminal has
//     exactly one); their addresses go into the shared block at
//     construction, with the type-1 and type-2 counts;
//   - each node's object dictionary: a few CANopen objects (device type,
//     name, versions, heartbeat time, vendor identity, the digital inputs
//     and outputs), the name, versions, vendor and the data bytes shared
//     with the node's record.
// It fills every record with values of its own (different per node and
// type, so a picture or a test tells them apart) and writes the SDO
// response fields and clears the request flag. A request names a CANopen
// client command in its read/write byte: 64 (0x40) reads an object, 47,
// 43, 35 (0x2F, 0x2B, 0x23: one, two, four bytes) and 34 (0x22, size not
// given) write one. The answer is the server's command (0x4F, 0x4B or 0x43
// with the object's value; 0x60 after a write) or 128 (0x80, abort) with
// the CANopen abort code as data: 0x05040001 unknown command, 0x06020000
// no such object, 0x06090011 no such subindex, 0x06010002 read-only,
// 0x06070010 wrong size.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "anvil/can_periph.h"
#include "host/services/host_memory.h"

namespace host {

struct SdoExchange {
  uint8_t type = 0;
  uint32_t node = 0;          // index in its table
  uint8_t request_rw = 0, response_rw = 0;
  uint16_t index = 0;
  uint8_t subindex = 0;
  uint32_t request_data = 0, response_data = 0;

  // "node 0x21 (type 1, node 1): 40 1018:01 00000000 -> 43 0000029A"
  std::string Describe() const;
};

class CanNodes {
 public:
  static constexpr uint16_t kRecordSize = 112;
  static constexpr uint8_t kUpload = 0x40, kDownloadAny = 0x22, kDownloadResponse = 0x60, kAbort = 0x80;

  // `modules` type-1 and `keyboards` type-2 nodes (each 0 to 255; a table
  // of no nodes still has node 0, as the driver's tables do).
  CanNodes(HostMemory& shared, uint32_t modules, uint32_t keyboards);
  CanNodes(const CanNodes&) = delete;
  CanNodes& operator=(const CanNodes&) = delete;

  // Node `index` of type 1 to 3 (null beyond its table).
  Io8Node* node(uint8_t type, uint32_t index);
  uint8_t* table(uint8_t type) { return tables_[Slot(type)].data(); }
  uint32_t capacity(uint8_t type) const {
    return static_cast<uint32_t>(tables_[Slot(type)].size() / kRecordSize);
  }
  // The count byte the library reads (types 1 and 2); the tables keep
  // their records.
  void SetCount(uint8_t type, uint8_t count);

  // The driver: answers every request whose flag is 1, in table order, and
  // clears the flag. Returns what it answered.
  std::vector<SdoExchange> Step();

 private:
  struct Object {
    uint16_t index;
    uint8_t subindex;
    uint8_t size;      // bytes: 1, 2 or 4
    bool writable;
    uint32_t value;    // objects backed by the record read it from there
    int record_at;     // offset in the node record, or -1
  };
  static int Slot(uint8_t type) { return type >= 1 && type <= 3 ? type - 1 : 0; }
  void Fill(uint8_t type, uint32_t index, Io8Node& n);
  void Answer(uint8_t type, uint32_t index, Io8Node& n, SdoExchange* x);

  HostMemory& shared_;
  std::vector<uint8_t> tables_[3];
  std::vector<std::vector<Object>> dictionaries_[3];
};

}  // namespace host
