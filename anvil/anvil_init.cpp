// AnvilInit, MemoryAlloc, MemoryFree: the host's record kept whole and the
// library's pool inside the host's block.
#include "anvil/anvil_init.h"

namespace {

_ANVILINIT g_host;
anvil::MemoryPool g_pool;
uint32_t g_init_count = 0;

}  // namespace

const _ANVILINIT& AnvilRecord() { return g_host; }

void AnvilRaiseMessage(uint16_t number) {
  if (g_host.message_word != nullptr)
    __builtin_memcpy(g_host.message_word, &number, sizeof number);
}

uint32_t AnvilAlloc(uint32_t n) { return anvil::PoolAlloc(&g_pool, n); }
void AnvilFree(uint32_t data) { anvil::PoolFree(&g_pool, data); }
uint32_t AnvilLargestFree() { return anvil::PoolLargestFree(&g_pool); }
uint32_t AnvilInitCount() { return g_init_count; }

// Keeps the record and (re)initialises the pool; earlier allocations are
// forgotten. Only the bytes the host declares in the size field are taken
// (fields beyond them are absent and read as 0), so a host with a shorter
// record is never read past its end. A null record changes nothing. A pool
// the pool refuses (no block, or fewer than 13 bytes) leaves the earlier
// pool in place.
LIB_EXPORT uint32_t AnvilInit(const _ANVILINIT* record) {
  if (record == nullptr) return 0;
  uint16_t declared = RecordGet<uint16_t>(record, 0);
  uint32_t taken = declared < sizeof g_host ? declared : sizeof g_host;
  __builtin_memset(&g_host, 0, sizeof g_host);
  __builtin_memcpy(&g_host, record, taken);
  g_pool.message_word = g_host.message_word;
  anvil::PoolInit(&g_pool, g_host.pool_base, g_host.pool_size, true);
  ++g_init_count;
  return 0;
}

LIB_EXPORT uint32_t MemoryAlloc(uint32_t n) { return anvil::PoolAlloc(&g_pool, n); }

LIB_EXPORT uint32_t MemoryFree(uint32_t data) {
  anvil::PoolFree(&g_pool, data);
  return 0;
}
