// The recording file of the CAN monitor.
#include "anvil/can_recording.h"

#include "bridge/fsp.h"
#include "bridge/hex_digits.h"

namespace anvil {
namespace {

constexpr uint32_t kOpenCreate = 6;
constexpr uint32_t kPathMax = 260;

void Close(CanRecording* r) {
  FspClose(r->handle);
  r->on = false;
  r->length = 0;
}

}  // namespace

const char* CanRecordHeader(bool tabs) {
  return tabs ? "Time\tID\tLen\tD0\tD1\tD2\tD3\tD4\tD5\tD6\tD7\tCount\r\n"
              : "      Time   ID Len D0 D1 D2 D3 D4 D5 D6 D7      Count\r\n";
}

namespace {

// The identifier, the length and the eight byte columns (a byte the packet
// lacks as `blank`), with the separators of the file or of the screen.
void AppendIdAndData(const CanPacket& p, const char* after_id, const char* between, const char* blank,
                     TextBuffer* b) {
  uint32_t length = p.length > 8 ? 8 : p.length;
  TextAppendHex(b, p.id, 4);
  TextAppend(b, after_id);
  TextAppendUnsigned(b, length);
  for (uint32_t i = 0; i < 8; ++i) {
    TextAppend(b, between);
    if (i < length) TextAppendHex(b, p.data[i], 2);
    else TextAppend(b, blank);
  }
}

}  // namespace

void CanFormatLine(const CanPacket& p, bool tabs, TextBuffer* b) {
  if (tabs) {
    TextAppendUnsigned(b, p.time);
    TextAppendChar(b, '\t');
    AppendIdAndData(p, "\t", "\t", " ", b);
    TextAppendChar(b, '\t');
    TextAppendUnsigned(b, p.count);
  } else {
    TextAppendUnsignedRight(b, p.time, 10);
    TextAppendChar(b, ' ');
    CanAppendIdAndData(p, b);
    TextAppendChar(b, ' ');
    TextAppendUnsignedRight(b, p.count, 10);
  }
  TextAppend(b, "\r\n");
}

void CanAppendIdAndData(const CanPacket& p, TextBuffer* b) { AppendIdAndData(p, "   ", " ", "  ", b); }

bool CanRecordStart(CanRecording* r, const char* system_directory) {
  if (r->on) CanRecordStop(r);
  char path[kPathMax];
  TextBuffer b = MakeTextBuffer(path, sizeof path);
  TextAppend(&b, system_directory != nullptr ? system_directory : "");
  TextAppend(&b, r->name);
  uint32_t size = 0;
  r->length = 0;
  if (b.length + 1 >= sizeof path || FspOpen(path, kOpenCreate, &r->handle, &size) != kStatusOk) return false;
  const char* header = CanRecordHeader(r->tabs);
  uint16_t n = 0;
  while (header[n] != '\0') ++n;
  if (FspWrite(r->handle, header, n) != kStatusOk) {
    FspClose(r->handle);
    return false;
  }
  r->on = true;
  return true;
}

bool CanRecordPacket(CanRecording* r, const CanPacket& p) {
  if (!r->on) return true;
  TextBuffer b{r->buffer, sizeof r->buffer, r->length};
  CanFormatLine(p, r->tabs, &b);
  r->length = b.length;
  if (r->length <= kCanWriteBlock) return true;
  if (FspWrite(r->handle, r->buffer, kCanWriteBlock) != kStatusOk) {
    Close(r);
    return false;
  }
  r->length -= kCanWriteBlock;
  __builtin_memmove(r->buffer, r->buffer + kCanWriteBlock, r->length);
  r->buffer[r->length] = '\0';
  return true;
}

bool CanRecordStop(CanRecording* r) {
  if (!r->on) return true;
  bool ok = r->length == 0 || FspWrite(r->handle, r->buffer, static_cast<uint16_t>(r->length)) == kStatusOk;
  ok = FspClose(r->handle) == kStatusOk && ok;
  r->on = false;
  r->length = 0;
  return ok;
}

}  // namespace anvil
