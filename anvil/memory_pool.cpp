// Anvil's memory pool: first fit over an address-ordered free list.
#include "anvil/memory_pool.h"

namespace anvil {
namespace {

uint32_t Word(uint32_t address) {
  uint32_t value;
  __builtin_memcpy(&value, reinterpret_cast<const void*>(address), sizeof value);
  return value;
}

void SetWord(uint32_t address, uint32_t value) {
  __builtin_memcpy(reinterpret_cast<void*>(address), &value, sizeof value);
}

void RaiseMessage(const MemoryPool* pool, uint16_t number) {
  if (pool->message_word != nullptr)
    __builtin_memcpy(pool->message_word, &number, sizeof number);
}

uint32_t Size(uint32_t block) { return Word(block + kBlockSize); }
uint32_t Prev(uint32_t block) { return Word(block + kBlockPrev); }
uint32_t Next(uint32_t block) { return Word(block + kBlockNext); }
void SetSize(uint32_t block, uint32_t v) { SetWord(block + kBlockSize, v); }
void SetPrev(uint32_t block, uint32_t v) { SetWord(block + kBlockPrev, v); }
void SetNext(uint32_t block, uint32_t v) { SetWord(block + kBlockNext, v); }

// Head words of the two lists in the pool header.
uint32_t FreeHeadWord(const MemoryPool* pool) { return pool->base + kPoolFreeHead; }
uint32_t UsedHeadWord(const MemoryPool* pool) { return pool->base + kPoolUsedHead; }

// Points the link that leads to `block` (its predecessor's forward link, or
// the list head) at `target`.
void RelinkFrom(uint32_t head_word, uint32_t prev, uint32_t target) {
  if (prev != 0)
    SetNext(prev, target);
  else
    SetWord(head_word, target);
}

// Takes `block` out of the list whose head lives at `head_word`.
void Unlink(uint32_t head_word, uint32_t block) {
  uint32_t prev = Prev(block), next = Next(block);
  RelinkFrom(head_word, prev, next);
  if (next != 0) SetPrev(next, prev);
}

// Merges the successor of free block `block` into it when the two touch.
void AbsorbNextIfAdjacent(uint32_t block) {
  uint32_t next = Next(block);
  if (next == 0 || block + Size(block) != next) return;
  SetSize(block, Size(block) + Size(next));
  uint32_t after = Next(next);
  SetNext(block, after);
  if (after != 0) SetPrev(after, block);
}

// Is `block` on the used list? A block is trusted only when it is.
bool OnUsedList(const MemoryPool* pool, uint32_t block) {
  for (uint32_t b = Word(UsedHeadWord(pool)); b != 0; b = Next(b))
    if (b == block) return true;
  return false;
}

}  // namespace

int PoolInit(MemoryPool* pool, uint32_t base, uint32_t size, bool format) {
  if (base == 0 || size < kSmallestPool) return 0;
  if (size - 1 > 0xFFFFFFFFu - base) return 0;  // would wrap past the address space
  pool->base = base;
  if (!format) return 1;
  SetWord(base + kPoolTotal, size);
  SetWord(base + kPoolUsedHead, 0);
  if (size < kSmallestPoolWithFreeBlock) {
    SetWord(base + kPoolFreeHead, 0);
  } else {
    uint32_t block = base + kPoolHeaderSize;
    SetWord(base + kPoolFreeHead, block);
    SetSize(block, size - kPoolHeaderSize);
    SetPrev(block, 0);
    SetNext(block, 0);
  }
  pool->free_space = size - kSmallestPool;
  return 1;
}

uint32_t PoolAlloc(MemoryPool* pool, uint32_t n) {
  if (pool->base == 0) return 0;
  // In 64 bits, so that a request near 4 GiB cannot wrap into a small one.
  const uint64_t need = uint64_t{n} + kBlockHeaderSize;
  uint32_t block = Word(FreeHeadWord(pool));
  while (block != 0 && Size(block) < need) block = Next(block);
  if (block == 0) {
    RaiseMessage(pool, kMessageOutOfMemory);
    return 0;
  }

  const uint32_t size = Size(block);
  if (size <= need + kBlockHeaderSize) {
    // Too little would be left for a useful free block: hand out the whole
    // block, keeping its size.
    Unlink(FreeHeadWord(pool), block);
  } else {
    // Split: the rest becomes a free block in the chosen block's place.
    const uint32_t taken = static_cast<uint32_t>(need);
    const uint32_t rest = block + taken;
    const uint32_t prev = Prev(block), next = Next(block);
    SetSize(rest, size - taken);
    SetPrev(rest, prev);
    SetNext(rest, next);
    RelinkFrom(FreeHeadWord(pool), prev, rest);
    if (next != 0) SetPrev(next, rest);
    SetSize(block, taken);
  }

  const uint32_t used_head = Word(UsedHeadWord(pool));
  SetPrev(block, 0);
  SetNext(block, used_head);
  if (used_head != 0) SetPrev(used_head, block);
  SetWord(UsedHeadWord(pool), block);

  pool->free_space -= Size(block);
  // The counter is one below the free bytes; compared one up so that a
  // wholly handed-out pool (counter wrapped to 0xFFFFFFFF) counts as low.
  if (pool->free_space + 1 <= kLowMemoryLevel) RaiseMessage(pool, kMessageLowMemory);
  return block + kBlockHeaderSize;
}

FreeResult PoolFree(MemoryPool* pool, uint32_t data) {
  if (data == 0) return FreeResult::kNull;
  if (pool->base == 0) return FreeResult::kNoPool;
  const uint32_t total = Word(pool->base + kPoolTotal);
  const uint32_t first_data = kPoolHeaderSize + kBlockHeaderSize;
  if (data < pool->base || data - pool->base < first_data || data - pool->base > total)
    return FreeResult::kOutsidePool;
  const uint32_t block = data - kBlockHeaderSize;
  if (!OnUsedList(pool, block)) return FreeResult::kNotHandedOut;

  pool->free_space += Size(block);
  Unlink(UsedHeadWord(pool), block);

  const uint32_t head = Word(FreeHeadWord(pool));
  if (head == 0 || block < head) {
    // New head of the free list.
    SetPrev(block, 0);
    SetNext(block, head);
    if (head != 0) SetPrev(head, block);
    SetWord(FreeHeadWord(pool), block);
    AbsorbNextIfAdjacent(block);
    return FreeResult::kFreed;
  }

  for (uint32_t f = head;; f = Next(f)) {
    if (f + Size(f) == block) {
      // Grows the free block just below; it may now touch the one above.
      SetSize(f, Size(f) + Size(block));
      AbsorbNextIfAdjacent(f);
      return FreeResult::kFreed;
    }
    const uint32_t next = Next(f);
    if (next == 0 || block < next) {
      SetPrev(block, f);
      SetNext(block, next);
      SetNext(f, block);
      if (next != 0) SetPrev(next, block);
      AbsorbNextIfAdjacent(block);
      return FreeResult::kFreed;
    }
  }
}

uint32_t PoolLargestFree(const MemoryPool* pool) {
  if (pool->base == 0) return 0;
  uint32_t largest = 0;
  for (uint32_t b = Word(FreeHeadWord(pool)); b != 0; b = Next(b))
    if (Size(b) > largest) largest = Size(b);
  return largest > kBlockHeaderSize ? largest - kBlockHeaderSize : 0;
}

}  // namespace anvil
