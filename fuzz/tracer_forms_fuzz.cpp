// Fuzz target: the correction forms (prefix, then data calls) with
// arbitrary settings, host texts from the load services and keys.
//
// Input layout:
//   byte 0   form (mod 3: INKOR, INKOR2, INKOR3)
//   byte 1   decimals word bits 8-11 (any nibble; unknown ones act as 3)
//   byte 2   word 3000 bits 0-3 (halving, marker, entry 54)
//   byte 3   machine type (any byte)
//   byte 4   axis index (any byte), byte 5 axis count, byte 6 keep zeros,
//   byte 7   shift family (bit 0: 255), bit 1: the write service fails
//   byte 8   length L of the load services' answer (mod 16, up to 15
//            bytes: longer than the host's 11 on purpose), then L bytes
//   then     keys: one data call per byte; 0xF0..0xFF advance the tick
//            by the low nibble instead of pressing a key
//
// Checks after every call: the value field stays ten characters with the
// point at 9 - D, the entry number two characters, no guard byte around a
// host field is touched, and a finished form says so in formStatus.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "fuzz/fuzz_check.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/tracer_host.h"
#include "tracer/form_engine.h"
#include "tracer/form_numbers.h"

namespace {

struct Harness {
  std::string root;
  host::FileServices* files;
  host::Screen* screen;
  host::DisplayServices* display;
};

Harness& Get() {
  static Harness h = [] {
    Harness x;
    char pattern[] = "/tmp/fuzz-tracer-forms-XXXXXX";
    x.root = mkdtemp(pattern);
    std::filesystem::create_directories(x.root + "/c/tables");
    x.files = new host::FileServices(x.root);
    x.screen = new host::Screen(640, 480);
    x.display = new host::DisplayServices(*x.screen, host::TextStyle::kForm);
    x.display->recorder().Enable(false);
    return x;
  }();
  return h;
}

const FormVariant* const kVariants[] = {&kInkor, &kInkor2, &kInkor3};

void CheckFields(host::TracerHost& host) {
  FUZZ_CHECK(host.GuardsIntact());
  const std::string value = host.Text("valueText");
  FUZZ_CHECK(value.size() == 10);
  FUZZ_CHECK(value[9 - host.Decimals()] == '.');
  FUZZ_CHECK(value[0] == '+' || value[0] == '-');
  FUZZ_CHECK(host.Text("entryText").size() == 2);
  FUZZ_CHECK(host.Text("resultText").size() <= 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  Harness& h = Get();
  host::TracerHost host(*h.display, h.files);
  host.SetSetting(kConfigDecimals, static_cast<uint32_t>(data[1] & 0xF) << 8);
  host.SetSetting(kConfigHalving, data[2] & 0xF);
  host.machine_type = static_cast<char>(data[3]);
  host.axis_index = data[4];
  host.axis_count = data[5];
  host.keep_zeros = data[6];
  host.shift_family = data[7] & 1 ? 255 : 0;
  if (data[7] & 2) host.tables().FailNext(host::TableStore::Fault::kWrite);
  size_t at = 9;
  const size_t length = data[8] % 16;
  if (at + length > size) return 0;
  host.SetLoadText(std::string(reinterpret_cast<const char*>(data + at), length));
  at += length;

  static FormState form;
  FormPrefix(&form, &host.record(), kVariants[data[0] % 3]);
  CheckFields(host);
  for (; at < size; ++at) {
    if (data[at] >= 0xF0) {
      host.KeyForm(0, data[at] & 0xF);
    } else {
      host.KeyForm(data[at]);
    }
    const int result = FormData(&form, &host.record());
    CheckFields(host);
    FUZZ_CHECK(result == 0 || result == 9);
    if (result == 9) {
      FUZZ_CHECK(host.form_status == 9);
      break;
    }
  }
  return 0;
}
