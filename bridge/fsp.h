// The host's file-service table and the fourteen wrappers around it.
//
// The host hands the table through the export FSPInit; the library keeps a
// private 62-byte copy (a library that carries only slots 0..12 keeps 58).
// Every wrapper returns a signed 8-bit status:
//   -128  dispatch entry or the slot's handle is 0 (nothing is called)
//   -1    dispatch returned zero
//   else  the low byte of the status cell (read/write: the block's status byte)
// Status 1 from FspRead is end of file: the count says how much arrived.
#pragma once

#include "bridge/host_api.h"

#pragma pack(push, 1)
struct FSP_INIT_PARAMS {
  uint16_t size;
  HostDispatch dispatch;
  uint32_t handles[14];
};
// Block handed to slot 7 (read). Only this block has the leading count.
struct FSP_READ_BLOCK {
  uint16_t count;      // written by the host
  uint16_t length;     // requested
  void* buffer;
  uint32_t* detail;
  uint8_t status;      // written by the host
};
// Block handed to slot 11 (write).
struct FSP_WRITE_BLOCK {
  uint16_t length;
  const void* buffer;
  uint32_t* detail;
  uint8_t status;      // written by the host
};
#pragma pack(pop)

static_assert(sizeof(FSP_INIT_PARAMS) == 62);
static_assert(offsetof(FSP_INIT_PARAMS, dispatch) == 2);
static_assert(offsetof(FSP_INIT_PARAMS, handles) == 6);
static_assert(offsetof(FSP_READ_BLOCK, length) == 2);
static_assert(offsetof(FSP_READ_BLOCK, buffer) == 4);
static_assert(offsetof(FSP_READ_BLOCK, detail) == 8);
static_assert(offsetof(FSP_READ_BLOCK, status) == 12);
static_assert(offsetof(FSP_WRITE_BLOCK, buffer) == 2);
static_assert(offsetof(FSP_WRITE_BLOCK, detail) == 6);
static_assert(offsetof(FSP_WRITE_BLOCK, status) == 10);

enum FspSlot : int {
  kFspClose = 0, kFspCopy = 1, kFspMakeDir = 2, kFspListOpen = 3, kFspOpen = 4,
  kFspDelete = 5, kFspGetInfo = 6, kFspRead = 7, kFspRemoveDir = 8, kFspRename = 9,
  kFspSlot10 = 10, kFspWrite = 11, kFspSlot12 = 12, kFspSeek = 13,
};

// Open modes.
enum : uint32_t {
  kFspOpenRead = 1,      // existing file, reading
  kFspOpenAppend = 2,    // existing file, writing (callers seek to the end)
  kFspOpenRewrite = 4,   // writing from the start, replacing the contents
  kFspOpenCreate = 6,    // create or truncate
};
// Seek origins.
enum : uint32_t { kFspSeekStart = 0, kFspSeekEnd = 2 };

// Number of bytes of the host record a library keeps: 62 with all fourteen
// slots, 58 for a library without seek (slots 0..12).
#ifndef FSP_KEPT_BYTES
#define FSP_KEPT_BYTES 62
#endif

// The library's copy of the table.
extern FSP_INIT_PARAMS g_fsp;

// Copies the host's table the way the export FSPInit does; returns 1.
int FspInitCopy(const FSP_INIT_PARAMS* host);

int8_t FspClose(uint32_t handle, uint16_t p = 0, uint16_t q = 0);
int8_t FspCopy(const char* source, const char* destination);
int8_t FspMakeDir(const char* path);
int8_t FspListOpen(const char* pattern, uint32_t* handle, uint32_t* extra);
int8_t FspOpen(const char* path, uint32_t mode, uint32_t* handle, uint32_t* size);
int8_t FspDelete(const char* path);
int8_t FspGetInfo(const char* path, void* record);
int8_t FspRead(uint32_t handle, void* buffer, uint16_t length, uint16_t* count);
int8_t FspRemoveDir(const char* path);
int8_t FspRename(const char* old_path, const char* new_path);
int8_t FspWrite(uint32_t handle, const void* buffer, uint16_t length);
int8_t FspSeek(uint32_t handle, int32_t offset, uint32_t origin, uint32_t* position);
