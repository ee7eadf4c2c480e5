// LoadEDSCan1: the SDO write requests that bring every node on CAN line 1
// to the parameter values its EDS file asks for.
//
// The configuration file EDS_CAN1.KNF in the record's directory names the
// EDS file of each node; each EDS file's manufacturer objects that are
// writable, of an integer type and whose parameter value differs from the
// default become one 12-byte request in the host's table.
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _LOADEDSCAN {
  uint16_t size;           // as the host fills it; not read
  uint32_t memory_base;   // host memory block
  uint32_t directory;     // path of the folder, ending with the separator
  uint32_t buffer;        // file buffer
  uint32_t buffer_size;
};
// An SDO expedited download request as the host sends it.
struct SDO_REQUEST {
  uint16_t identifier;    // 0x600 + node
  uint8_t zero;
  uint8_t length;         // 8
  uint8_t command;        // 0x2F, 0x2B or 0x23
  uint16_t index;
  uint8_t sub_index;
  uint32_t value;
};
#pragma pack(pop)

static_assert(offsetof(_LOADEDSCAN, memory_base) == 2);
static_assert(offsetof(_LOADEDSCAN, directory) == 6);
static_assert(offsetof(_LOADEDSCAN, buffer) == 10);
static_assert(offsetof(_LOADEDSCAN, buffer_size) == 14);
static_assert(sizeof(_LOADEDSCAN) == 18);
static_assert(offsetof(SDO_REQUEST, identifier) == 0);
static_assert(offsetof(SDO_REQUEST, zero) == 2);
static_assert(offsetof(SDO_REQUEST, length) == 3);
static_assert(offsetof(SDO_REQUEST, command) == 4);
static_assert(offsetof(SDO_REQUEST, index) == 5);
static_assert(offsetof(SDO_REQUEST, sub_index) == 7);
static_assert(offsetof(SDO_REQUEST, value) == 8);
static_assert(sizeof(SDO_REQUEST) == 12);

// Host memory fields of CAN line 1 (offsets from the record's base).
constexpr uint32_t kCan1Mode = 0x2A8C63;          // u16; the loader works only in mode 1
constexpr uint32_t kCan1SdoCapacity = 0x2A8C65;   // u16; entries of the request table
constexpr uint32_t kCan1SdoCount = 0x2A8C67;      // u16; requests written
constexpr uint32_t kCan1SdoTable = 0x2A8C6B;      // u32; pointer to the request table
constexpr uint32_t kCan1SdoDelay = 0x2A8C73;      // u32; from SDODELAY=

constexpr uint32_t kCanMaxEdsFiles = 32;
constexpr uint32_t kCanDefaultFirstIndex = 0x2003;

enum CanLoadResult : uint32_t {
  kCanLoaded = 0,
  kCanNoConfiguration = 1,  // EDS_CAN1.KNF cannot be opened or is empty
  kCanNotMode1 = 2,
  kCanTooLarge = 3,         // a file does not fit, or the configuration cannot be read
  kCanEdsMissing = 4,       // an EDS file cannot be opened or is empty
  kCanEdsUnreadable = 5,
  kCanTableFull = 6,        // a request had to be dropped
};

uint32_t LoadEdsCan1(const _LOADEDSCAN* record);
