// Reads a whole service file through the host's file services into a
// buffer the host provides, for the CAN and PLC text loaders.
//
// The file is opened in mode 1, which reports its size; the buffer must
// exceed that size by more than kWholeFileSpare bytes. Reads of 512 bytes
// go on until the announced size has arrived and a further read reports
// the end (status 1 or no bytes); a read with fewer bytes and status 0 is
// not the end. Nothing is written past the buffer, whatever the reads
// return: a file longer than announced is refused as too large. The file
// is closed on every path.
#pragma once

#include <stdint.h>

constexpr uint32_t kWholeFileSpare = 500;
constexpr uint16_t kWholeFileChunk = 512;

enum class WholeFile {
  kRead,        // *length bytes are in the buffer
  kOpenFailed,  // FspOpen failed
  kEmpty,       // the file has no bytes
  kTooLarge,    // size + kWholeFileSpare is not below the buffer size
  kReadFailed,  // a read failed (status other than 0 and 1, or dispatch)
};

WholeFile ReadWholeFile(const char* path, uint8_t* buffer, uint32_t buffer_size, uint32_t* length);
