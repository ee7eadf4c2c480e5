// Anvil's memory pool: a heap laid out inside one block of the host's memory.
//
// Every address here is a 32-bit address in the host's (and the library's)
// address space; all words are u32 in native byte order and are read and
// written with memcpy, since block addresses are not rounded to any
// alignment.
//
// Layout of the block:
//   pool header at the start, three words: total size of the block, head of
//   the free list (0 when empty), head of the used list (0 when empty);
//   then blocks, each starting with a header of three words: size in bytes
//   (header included), previous block in its list, next block in its list
//   (0 at either end). The caller's data begins 12 bytes into the block.
//
// Invariants of a formatted pool (held after every call):
//   - the free list is sorted by address and no two free blocks touch (a
//     freed block is merged with the free blocks on either side);
//   - the used list holds every block handed out and not yet freed, newest
//     first;
//   - free and used blocks tile the block after the pool header exactly;
//   - the free-space counter equals the bytes of all free blocks minus 1
//     (it starts at size - 13 and moves by the size of each block handed out
//     or taken back). When the pool is wholly handed out it therefore wraps
//     to 0xFFFFFFFF; the low-memory test treats that value as "no room".
#pragma once

#include <stdint.h>

namespace anvil {

constexpr uint32_t kPoolHeaderSize = 12;
constexpr uint32_t kBlockHeaderSize = 12;
// Smallest block the pool takes over: the pool header and one byte.
constexpr uint32_t kSmallestPool = 13;
// Smallest block that also holds a free block (one bare block header).
// Below it the pool is laid out with its header only and an empty free list:
// a free-block header there would lie past the end of the host's block.
constexpr uint32_t kSmallestPoolWithFreeBlock = kPoolHeaderSize + kBlockHeaderSize;
// A successful allocation that leaves the counter below this raises 4198.
constexpr uint32_t kLowMemoryLevel = 1000000;
constexpr uint16_t kMessageLowMemory = 4198;
constexpr uint16_t kMessageOutOfMemory = 4199;

// Word offsets of the pool header and of a block header.
enum : uint32_t { kPoolTotal = 0, kPoolFreeHead = 4, kPoolUsedHead = 8 };
enum : uint32_t { kBlockSize = 0, kBlockPrev = 4, kBlockNext = 8 };

struct MemoryPool {
  uint32_t base = 0;                  // start of the host's block; 0 = never initialised
  uint32_t free_space = 0;            // the free-space counter
  uint16_t* message_word = nullptr;   // host's message number; null = none
};

// Takes over the block [base, base + size). Refuses (returns 0, pool
// unchanged) when base is 0, size is below 13, or the block would run past
// the end of the address space. With `format` clear only the base is
// remembered (the block already holds a pool laid out earlier); with it set
// the pool header and one free block spanning the rest are written and the
// counter is set to size - 13. A block of 13 to 23 bytes gets the pool
// header only and an empty free list. Returns 1 when taken over.
int PoolInit(MemoryPool* pool, uint32_t base, uint32_t size, bool format);

// Address of the data area of a new block of at least n bytes, or 0.
// First fit along the free list; a block whose size is at most need + 12
// (need = n + 12) is handed out whole, a larger one is split. Raises 4198
// when the counter ends below the low-memory level, 4199 when no free block
// fits. An uninitialised pool returns 0 and raises nothing.
uint32_t PoolAlloc(MemoryPool* pool, uint32_t n);

// What PoolFree did with an address. Only kFreed changes the pool.
enum class FreeResult {
  kFreed,
  kNull,            // address 0
  kNoPool,          // the pool was never initialised
  kOutsidePool,     // not a data address inside the block
  kNotHandedOut,    // not the data address of a block on the used list
                    // (never handed out, or already freed)
};

// Returns the block whose data begins at `data` to the pool, merging it with
// its free neighbours. Any address that is not the data address of a block
// currently on the used list is ignored, so a wrong or repeated free never
// touches the lists or the counter.
FreeResult PoolFree(MemoryPool* pool, uint32_t data);

// Size of the largest free block minus its 12-byte header; 0 when no free
// block is larger than 12 bytes or the pool was never initialised.
uint32_t PoolLargestFree(const MemoryPool* pool);

}  // namespace anvil
