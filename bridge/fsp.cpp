#include "bridge/fsp.h"

#include <string.h>

FSP_INIT_PARAMS g_fsp;

int FspInitCopy(const FSP_INIT_PARAMS* host) {
  memset(&g_fsp, 0, sizeof g_fsp);
  if (host != nullptr) {
    size_t n = host->size < FSP_KEPT_BYTES ? host->size : FSP_KEPT_BYTES;
    memcpy(&g_fsp, host, n);
  }
  g_fsp.size = FSP_KEPT_BYTES;
  return 1;
}

namespace {

// Handle of a slot, or 0 when the slot or the dispatch entry is absent.
uint32_t SlotHandle(int slot) {
  if (g_fsp.dispatch == nullptr) return 0;
  if (static_cast<size_t>(6 + 4 * slot + 4) > FSP_KEPT_BYTES) return 0;
  return g_fsp.handles[slot];
}

// Result of a call that reports through a 32-bit status cell.
int8_t CellResult(int dispatched, uint32_t status) {
  if (dispatched == 0) return kStatusDispatchFailed;
  return static_cast<int8_t>(status & 0xFF);
}

}  // namespace

int8_t FspClose(uint32_t handle, uint16_t p, uint16_t q) {
  uint32_t h = SlotHandle(kFspClose);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0, status = 0;
  int r = g_fsp.dispatch(h, 5, handle, &detail, &status, static_cast<uint32_t>(p),
                         static_cast<uint32_t>(q));
  return CellResult(r, status);
}

int8_t FspCopy(const char* source, const char* destination) {
  uint32_t h = SlotHandle(kFspCopy);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0, status = 0;
  int r = g_fsp.dispatch(h, 4, source, destination, &detail, &status);
  return CellResult(r, status);
}

int8_t FspMakeDir(const char* path) {
  uint32_t h = SlotHandle(kFspMakeDir);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0, status = 0;
  int r = g_fsp.dispatch(h, 3, path, &detail, &status);
  return CellResult(r, status);
}

int8_t FspListOpen(const char* pattern, uint32_t* handle, uint32_t* extra) {
  uint32_t h = SlotHandle(kFspListOpen);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0, status = 0;
  int r = g_fsp.dispatch(h, 5, pattern, &detail, handle, extra, &status);
  return CellResult(r, status);
}

int8_t FspOpen(const char* path, uint32_t mode, uint32_t* handle, uint32_t* size) {
  uint32_t h = SlotHandle(kFspOpen);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t status = 0;
  int r = g_fsp.dispatch(h, 5, path, mode, handle, size, &status);
  return CellResult(r, status);
}

int8_t FspDelete(const char* path) {
  uint32_t h = SlotHandle(kFspDelete);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0, status = 0;
  int r = g_fsp.dispatch(h, 3, path, &detail, &status);
  return CellResult(r, status);
}

int8_t FspGetInfo(const char* path, void* record) {
  uint32_t h = SlotHandle(kFspGetInfo);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0, status = 0;
  int r = g_fsp.dispatch(h, 4, path, &detail, record, &status);
  return CellResult(r, status);
}

int8_t FspRead(uint32_t handle, void* buffer, uint16_t length, uint16_t* count) {
  uint32_t h = SlotHandle(kFspRead);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0;
  FSP_READ_BLOCK block = {0, length, buffer, &detail, 0};
  if (g_fsp.dispatch(h, 2, handle, &block) == 0) return kStatusDispatchFailed;
  if (count != nullptr) *count = block.count;
  return static_cast<int8_t>(block.status);
}

int8_t FspRemoveDir(const char* path) {
  uint32_t h = SlotHandle(kFspRemoveDir);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0, status = 0;
  int r = g_fsp.dispatch(h, 3, path, &detail, &status);
  return CellResult(r, status);
}

int8_t FspRename(const char* old_path, const char* new_path) {
  uint32_t h = SlotHandle(kFspRename);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0, status = 0;
  int r = g_fsp.dispatch(h, 4, old_path, new_path, &detail, &status);
  return CellResult(r, status);
}

int8_t FspWrite(uint32_t handle, const void* buffer, uint16_t length) {
  uint32_t h = SlotHandle(kFspWrite);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t detail = 0;
  FSP_WRITE_BLOCK block = {length, buffer, &detail, 0};
  if (g_fsp.dispatch(h, 2, handle, &block) == 0) return kStatusDispatchFailed;
  return static_cast<int8_t>(block.status);
}

int8_t FspSeek(uint32_t handle, int32_t offset, uint32_t origin, uint32_t* position) {
  uint32_t h = SlotHandle(kFspSeek);
  if (h == 0) return kStatusServiceAbsent;
  uint32_t status = 0;
  int r = g_fsp.dispatch(h, 5, handle, offset, origin, position, &status);
  return CellResult(r, status);
}
