// Fuzz target: the event log of libVitals over an arbitrary ring, write
// offset, wrapped flag, export limit, filter word, critical-scan request,
// layout and keys; and the host's text form of a ring.
//
// Input layout:
//   byte 0       bit 0: the text form (the rest of the input is a ring file
//                for host::ParseEventRing); else the library:
//   bytes 1-4    write offset (any value)
//   byte 5       wrapped flag
//   bytes 6-9    export limit word
//   bytes 10-13  filter word
//   bytes 14-17  critical-scan request
//   byte 18      layout letter
//   byte 19      number of keys k (0..31), then k key bytes (any value)
//   the rest     event records, written from the slot before the write
//                offset backwards (at most 512 records)
//
// Checks: the host memory outside the ring and the host's state words is
// poisoned, so any read there (or past the ring) stops the run; the export
// is the header plus 47-byte lines, the critical file grows by the date
// line and 41-byte lines; every screen row is 37 characters; no file is
// left open and the request is cleared.
#include <sanitizer/asan_interface.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bridge/fsp.h"
#include "bridge/localization.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/runners/event_ring_text.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "vitals/event_files.h"
#include "vitals/event_screen.h"
#include "vitals/vitals_service.h"

namespace {

constexpr uint32_t kMemory = 0x600000;
constexpr uint32_t kHeaderBytes = 4 + 2 + 45 + 2 + 45 + 2;  // "$EVN", the column line and the dashes

struct Harness {
  std::string root;
  host::FileServices* files;
  host::Screen* screen;
  host::DisplayServices* display;
  uint8_t* memory;
  _VITALS vitals;
};

void Unpoison(uint8_t* m, uint32_t from, uint32_t to) { ASAN_UNPOISON_MEMORY_REGION(m + from, to - from); }

Harness& Get() {
  static Harness h = [] {
    Harness x{};
    x.root = MakeFuzzSandbox("vitals", {"c/events"});
    x.files = new host::FileServices(x.root);
    x.screen = new host::Screen(800, 600);
    x.display = new host::DisplayServices(*x.screen, host::TextStyle::kScreen);
    x.display->recorder().KeepOnly({-1});
    FspInitCopy(&x.files->table());
    LocalizationSelect(nullptr, kLangEnglish);
    x.memory = new uint8_t[kMemory]();
    // Only the ring and the host's state words may be read.
    ASAN_POISON_MEMORY_REGION(x.memory, kEventRingOffset);
    Unpoison(x.memory, kEventYear, kEventMonth + 1);
    Unpoison(x.memory, kEventWriteOffset, kEventNewFlag + 1);
    Unpoison(x.memory, kEventScanRequest, kEventScanRequest + 4);
    x.vitals.dispatch = x.display->dispatch();
    x.vitals.display = x.display->block();
    ServiceInit(&x.vitals);
    return x;
  }();
  return h;
}

uint32_t U32(const uint8_t* p) {
  uint32_t v;
  memcpy(&v, p, 4);
  return v;
}

void FuzzText(const uint8_t* data, size_t size) {
  static host::HostMemory* memory = new host::HostMemory;
  std::vector<EVENT_RECORD> events;
  std::string why = host::ParseEventRing(std::string(reinterpret_cast<const char*>(data), size), &events);
  FUZZ_CHECK(why.empty() || why.rfind("line ", 0) == 0);
  if (!why.empty()) return;
  host::AppendEvents(*memory, events);
  FUZZ_CHECK(memory->Get<uint32_t>(kEventWriteOffset) % 32 == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 20) return 0;
  if (data[0] & 1) {
    FuzzText(data + 1, size - 1);
    return 0;
  }
  Harness& h = Get();
  uint8_t* m = h.memory;
  memset(m + kEventRingOffset, ' ', kEventRingBytes);
  RecordSet<uint32_t>(m, kEventWriteOffset, U32(data + 1));
  RecordSet<uint32_t>(m, kEventWrapped, data[5]);
  RecordSet<uint8_t>(m, kEventNewFlag, 1);
  RecordSet<uint32_t>(m, kEventScanRequest, U32(data + 14));
  RecordSet<uint16_t>(m, kEventYear, 2026);
  uint32_t parameters[3] = {U32(data + 6), 0, U32(data + 10)};
  uint32_t keys = data[19] & 31;
  size_t at = 20 + keys;
  if (at > size) return 0;
  // Records back from the write offset, wrapping at the ring's start.
  uint32_t slot = TrustedOffset(U32(data + 1)) / 32;
  for (uint32_t n = 0; at + 32 <= size && n < 512; at += 32, ++n) {
    slot = (slot + kEventSlots - 1) % kEventSlots;
    memcpy(m + kEventRingOffset + 32 * slot, data + at, 32);
  }

  std::string dir = "c:\\events\\";
  uint8_t done = 0;
  _DGEVENT record{};
  record.layout = static_cast<char>(data[18]);
  record.base = m;
  record.parameters = parameters;
  record.directory = dir.c_str();
  record.done = &done;
  record.available = 1;

  std::string events = h.root + "/c/events/EVENTS.TXT", critical = h.root + "/c/events/EVCRITIC.TXT";
  std::filesystem::remove(events);
  FILE* f = fopen(critical.c_str(), "wb");
  if (f) fclose(f);

  static EventScreen screen;
  static EventFileState files;
  screen = EventScreen{};
  files = EventFileState{};
  EventPrefix(&screen, &record);
  for (uint32_t k = 0; k < keys; ++k) {
    h.display->recorder().Clear();
    record.key = data[20 + k];
    EventData(&screen, &record);
    for (const host::GdiCall& call : h.display->recorder().calls()) {
      FUZZ_CHECK(call.error.empty());
      // Rows: 36 characters, then the class character on its own.
      if (call.word == kDisplayWriteText && call.y >= 116) FUZZ_CHECK(call.text.size() == kScreenRowBytes - 1);
    }
  }
  uint8_t result = ExportEvents(&record);
  FUZZ_CHECK(result == 0);
  uintmax_t length = std::filesystem::file_size(events);
  FUZZ_CHECK(length >= static_cast<uintmax_t>(kHeaderBytes) && (length - kHeaderBytes) % kExportLineBytes == 0);
  FUZZ_CHECK((length - kHeaderBytes) / kExportLineBytes <= kEventSlots);

  result = AppendCriticalEvents(&files, &record);
  FUZZ_CHECK(result == 0);
  FUZZ_CHECK(RecordGet<uint32_t>(m, kEventScanRequest) == 0);
  uintmax_t grown = std::filesystem::file_size(critical);
  if (grown > 0) {
    FUZZ_CHECK(files.date_written);
    FUZZ_CHECK((grown - strlen("\r\n0.0.2026\r\n\r\n")) % kCriticalLineBytes == 0);
  }
  FUZZ_CHECK(h.files->open_handles() == 0);
  return 0;
}
