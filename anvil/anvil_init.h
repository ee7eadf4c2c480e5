// Anvil's initialisation record and the module-wide copy of it.
//
// The host fills `_ANVILINIT` once (and may fill it again) and passes it to
// AnvilInit. The library keeps the whole record: every pointer in it stays
// valid, owned by the host, for as long as the library is loaded; the
// library never frees or reallocates what they point to.
#pragma once

#include <stddef.h>

#include "anvil/memory_pool.h"
#include "bridge/host_api.h"

#pragma pack(push, 1)
struct _ANVILINIT {
  uint16_t size;               // size of the record as the host knows it
  uint32_t pool_base;          // address of the block handed to the pool
  uint32_t pool_size;          // length of that block in bytes
  uint8_t* shared_memory;      // the host's large shared data area
  uint8_t* flag_a;             // host byte flag (arithmetic operation)
  uint8_t* flag_b;             // host byte flag (arithmetic operation)
  uint32_t* cnc_record;        // control's state record, 32-bit words (word 766: mode bits)
  const char* system_directory;  // NUL-terminated; the library's own files live there
  uint8_t* flag_bits;          // host byte array; bit 6 of byte 1 (arithmetic operation)
  uint32_t reserved;           // held, never read
  const char* text_areas[6];   // area 0: file extensions for the file manager; 1-5 alike
  uint16_t* message_word;      // non-zero number written here = host shows that message
  uint32_t* host_functions;    // host's table of 32-bit function entries (FTP client)
  const char* sort_preset;     // first letter: the file manager's initial sort order
};
#pragma pack(pop)

static_assert(offsetof(_ANVILINIT, size) == 0);
static_assert(offsetof(_ANVILINIT, pool_base) == 2);
static_assert(offsetof(_ANVILINIT, pool_size) == 6);
static_assert(offsetof(_ANVILINIT, shared_memory) == 10);
static_assert(offsetof(_ANVILINIT, flag_a) == 14);
static_assert(offsetof(_ANVILINIT, flag_b) == 18);
static_assert(offsetof(_ANVILINIT, cnc_record) == 22);
static_assert(offsetof(_ANVILINIT, system_directory) == 26);
static_assert(offsetof(_ANVILINIT, flag_bits) == 30);
static_assert(offsetof(_ANVILINIT, reserved) == 34);
static_assert(offsetof(_ANVILINIT, text_areas) == 38);
static_assert(offsetof(_ANVILINIT, message_word) == 62);
static_assert(offsetof(_ANVILINIT, host_functions) == 66);
static_assert(offsetof(_ANVILINIT, sort_preset) == 70);
static_assert(sizeof(_ANVILINIT) == 74);

// Entries of the host's function table through which Anvil reaches Wharf.
enum AnvilHostFunction : uint32_t {
  kHostFnWharfCont = 285,
  kHostFnWharfListWEx = 709,
  kHostFnWharfPWDEx = 713,
  kHostFnWharfRetrEx = 717,
  kHostFnWharfStorEx = 721,
  kHostFnWharfCWDEx = 725,
  kHostFnWharfListEx = 737,
};

// The library's copy of the host's record (all zero before AnvilInit).
const _ANVILINIT& AnvilRecord();

// Writes a message number into the host's message word (if the host gave one).
void AnvilRaiseMessage(uint16_t number);

// The library's own pool, for its modules; see anvil/memory_pool.h.
uint32_t AnvilAlloc(uint32_t n);
void AnvilFree(uint32_t data);
uint32_t AnvilLargestFree();
// How often AnvilInit has run: a module holding pool blocks starts afresh
// when it changed (the pool forgot every block).
uint32_t AnvilInitCount();
