#include "vitals/event_files.h"

#include "bridge/fsp.h"
#include "bridge/text_buffer.h"
#include "vitals/bcd_text.h"
#include "vitals/event_ring.h"

namespace {

constexpr char kHeader[] =
    "$EVN\r\nCOUNT EVENT   DESCRIPTION         TIME  CLASS\r\n"
    "---------------------------------------------\r\n";
constexpr uint32_t kLinesPerWrite = 40;

uint8_t ResultByte(int8_t status) { return static_cast<uint8_t>(status); }

uint32_t Count(const EventSnapshot& s, uint32_t limit) {
  uint32_t count = EventsInUse(s);
  if (limit != 0 && limit <= kEventSlots && limit < count) count = limit;
  return count;
}

// Closes after a failure; the first failure is what the caller reports.
void CloseQuietly(uint32_t handle) { FspClose(handle); }

}  // namespace

bool EventPath(const char* directory, const char* name, char* out) {
  TextBuffer b = MakeTextBuffer(out, kEventPathBytes);
  uint32_t n = 0;
  if (directory != nullptr)
    while (directory[n] != '\0' && n < kEventPathBytes) ++n;
  uint32_t name_length = 0;
  while (name[name_length] != '\0') ++name_length;
  bool separator = n > 0 && directory[n - 1] != '\\';
  if (n + (separator ? 1 : 0) + name_length + 1 > kEventPathBytes) return false;
  for (uint32_t i = 0; i < n; ++i) TextAppendChar(&b, directory[i]);
  if (separator) TextAppendChar(&b, '\\');
  TextAppend(&b, name);
  return true;
}

uint8_t ExportEvents(const _DGEVENT* record) {
  char path[kEventPathBytes];
  if (!EventPath(record->directory, "EVENTS.TXT", path)) return kEventPathTooLong;
  uint32_t handle = 0, size = 0;
  int8_t status = FspOpen(path, kFspOpenRewrite, &handle, &size);
  if (status != kStatusOk) return ResultByte(status);

  EventSnapshot s = ReadSnapshot(record->base);
  uint32_t limit = record->parameters != nullptr ? BcdLimitValue(record->parameters[0]) : 0;
  uint32_t count = s.ring != nullptr ? Count(s, limit) : 0;
  uint32_t position = EventStep(s.newest, -static_cast<int32_t>(count));

  status = FspWrite(handle, kHeader, sizeof kHeader - 1);
  static char lines[kLinesPerWrite * kExportLineBytes];
  uint32_t number = 0;
  while (status == kStatusOk && number < count) {
    uint32_t batch = count - number < kLinesPerWrite ? count - number : kLinesPerWrite;
    for (uint32_t i = 0; i < batch; ++i) {
      ExportLine(EventAt(s, position), ++number, lines + i * kExportLineBytes);
      position = EventStep(position, 1);
    }
    status = FspWrite(handle, lines, static_cast<uint16_t>(batch * kExportLineBytes));
  }
  if (status != kStatusOk) {
    CloseQuietly(handle);
    return ResultByte(status);
  }
  return ResultByte(FspClose(handle));
}

uint8_t AppendCriticalEvents(EventFileState* state, const _DGEVENT* record) {
  EventSnapshot s = ReadSnapshot(record->base);
  if (s.ring == nullptr) return 0;
  uint32_t request = RecordGet<uint32_t>(record->base, kEventScanRequest);
  RecordSet<uint32_t>(record->base, kEventScanRequest, 0);
  uint64_t limit = static_cast<uint64_t>(request) * 200;
  uint32_t count = Count(s, limit > kEventSlots ? 0 : static_cast<uint32_t>(limit));
  uint32_t first = EventStep(s.newest, -static_cast<int32_t>(count));

  // Skip to the first marked record; nothing marked means no file call.
  uint32_t skipped = 0;
  while (skipped < count && EventAt(s, EventStep(first, static_cast<int32_t>(skipped))).mark != '!') ++skipped;
  if (skipped == count) return 0;

  char path[kEventPathBytes];
  if (!EventPath(record->directory, "EVCRITIC.TXT", path)) return kEventPathTooLong;
  uint32_t handle = 0, size = 0, end = 0;
  int8_t status = FspOpen(path, kFspOpenAppend, &handle, &size);
  if (status != kStatusOk) return ResultByte(status);
  status = FspSeek(handle, 0, kFspSeekEnd, &end);
  if (status == kStatusOk && !state->date_written) {
    char date[32];
    TextBuffer b = MakeTextBuffer(date, sizeof date);
    TextAppend(&b, "\r\n");
    TextAppendUnsigned(&b, record->base[kEventDay]);
    TextAppendChar(&b, '.');
    TextAppendUnsigned(&b, record->base[kEventMonth]);
    TextAppendChar(&b, '.');
    TextAppendUnsigned(&b, RecordGet<uint16_t>(record->base, kEventYear));
    TextAppend(&b, "\r\n\r\n");
    status = FspWrite(handle, date, static_cast<uint16_t>(b.length));
    if (status == kStatusOk) state->date_written = true;  // it is in the file
  }

  // Lines go out in batches; `written` records are behind lines the file
  // has taken. Their marks are cleared only after a good close.
  static char lines[kLinesPerWrite * kCriticalLineBytes];
  uint32_t walked = skipped, written = skipped;
  while (status == kStatusOk && walked < count) {
    uint32_t batch = 0;
    while (walked < count && batch < kLinesPerWrite) {
      const EVENT_RECORD& e = EventAt(s, EventStep(first, static_cast<int32_t>(walked++)));
      if (e.mark != '!') continue;
      CriticalLine(e, lines + batch * kCriticalLineBytes);
      lines[batch * kCriticalLineBytes + 5] = ' ';  // the mark: written, no longer pending
      ++batch;
    }
    if (batch > 0) status = FspWrite(handle, lines, static_cast<uint16_t>(batch * kCriticalLineBytes));
    if (status == kStatusOk) written = walked;
  }
  int8_t closed = FspClose(handle);
  if (closed == kStatusOk) {
    auto* ring = const_cast<EVENT_RECORD*>(s.ring);
    for (uint32_t i = 0; i < written; ++i) {
      EVENT_RECORD& e = ring[TrustedOffset(EventStep(first, static_cast<int32_t>(i))) / sizeof(EVENT_RECORD)];
      if (e.mark == '!') e.mark = ' ';
    }
  }
  return ResultByte(status != kStatusOk ? status : closed);
}
