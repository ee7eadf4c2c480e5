#include "vitals/whole_file.h"

#include "bridge/fsp.h"

namespace {

WholeFile ReadOpen(uint32_t handle, uint32_t size, uint8_t* buffer, uint32_t buffer_size,
                   uint32_t* length) {
  if (size == 0) return WholeFile::kEmpty;
  if (buffer == nullptr || uint64_t{size} + kWholeFileSpare >= buffer_size) return WholeFile::kTooLarge;
  uint32_t got = 0;
  for (;;) {
    uint32_t room = buffer_size - got;
    uint16_t ask = room < kWholeFileChunk ? static_cast<uint16_t>(room) : kWholeFileChunk;
    if (ask == 0) return WholeFile::kTooLarge;
    uint16_t count = 0;
    int8_t status = FspRead(handle, buffer + got, ask, &count);
    if (status != kStatusOk && status != kStatusEndOfFile) return WholeFile::kReadFailed;
    if (count > ask) return WholeFile::kReadFailed;  // a host that claims more than it was asked
    got += count;
    if (got > size) return WholeFile::kTooLarge;     // longer than announced
    if (status == kStatusEndOfFile || count == 0) break;
  }
  if (got == 0) return WholeFile::kEmpty;
  *length = got;
  return WholeFile::kRead;
}

}  // namespace

WholeFile ReadWholeFile(const char* path, uint8_t* buffer, uint32_t buffer_size, uint32_t* length) {
  *length = 0;
  uint32_t handle = 0, size = 0;
  if (FspOpen(path, kFspOpenRead, &handle, &size) != kStatusOk) return WholeFile::kOpenFailed;
  WholeFile result = ReadOpen(handle, size, buffer, buffer_size, length);
  FspClose(handle);
  if (result != WholeFile::kRead) *length = 0;
  return result;
}
