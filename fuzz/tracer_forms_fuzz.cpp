// Fuzz target: the correction and zero-offset forms (prefix, then data
// calls) with arbitrary settings, host texts from the load services, file
// failures under the fixed table's reset, and keys.
//
// Input layout:
//   byte 0   form (mod 7: INKOR, INKOR2, INKOR3, INPOSUN, INPOSUN_ZAPIS,
//            INPOSUN_ZAPIS_FIX, POSUN_ZAPIS_NATVRDO)
//   byte 1   decimals word bits 8-11 (any nibble; unknown ones act as 3)
//   byte 2   word 3000 bits 0-3 (halving, marker, entry 54)
//   byte 3   machine type (any byte)
//   byte 4   axis index (any byte), byte 5 axis count, byte 6 keep zeros,
//   byte 7   shift family (bit 0: 255), bit 1: the write service fails,
//            bit 2: no preset table, bits 5-7: a file service that fails
//            once (open, write, close, delete, rename)
//   byte 8   length L of the load services' answer (mod 16, up to 15
//            bytes: longer than the host's 11 on purpose), then L bytes
//   then     keys: one data call per byte; 0xF0..0xFF advance the tick
//            by the low nibble instead of pressing a key
//
// Checks after every call: the value field stays ten characters with the
// point at 9 - D, the entry number two characters (none in the fixed
// form), no guard byte around a host field is touched, no file stays open
// (but one whose close the host failed), a finished form says so in
// formStatus, and the hard-wired form without a preset table leaves
// presetTable at 255 whenever a call returns.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "bridge/fsp.h"
#include "host/services/file_services.h"
#include "host/services/offset_host.h"
#include "host/services/tracer_host.h"
#include "tracer/form_engine.h"
#include "tracer/form_numbers.h"
#include "tracer/offset_forms.h"

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
    x.root = MakeFuzzSandbox("tracer-forms", {"c/tables", "c/fix"});
    x.files = new host::FileServices(x.root);
    x.screen = new host::Screen(640, 480);
    x.display = new host::DisplayServices(*x.screen, host::TextStyle::kForm);
    x.display->recorder().Enable(false);
    return x;
  }();
  return h;
}

const FormVariant* const kVariants[] = {&kInkor, &kInkor2, &kInkor3, &kInposun, &kInposunZapis,
                                        &kInposunZapisFix};
const int kFailingSlots[] = {-1, kFspOpen, kFspWrite, kFspClose, kFspDelete, kFspRename, -1, -1};

void CheckFields(host::TracerHost& host, int form) {
  FUZZ_CHECK(host.GuardsIntact());
  if (form == 6) return;  // the hard-wired form has no value field
  const std::string value = host.Text("valueText");
  FUZZ_CHECK(value.size() == 10);
  FUZZ_CHECK(value[9 - host.Decimals()] == '.');
  FUZZ_CHECK(value[0] == '+' || value[0] == '-');
  FUZZ_CHECK(host.Text("entryText").size() == (form == 5 ? 0u : 2u));
  FUZZ_CHECK(host.Text("resultText").size() <= 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  Harness& h = Get();
  host::FileServices files(h.root);
  FspInitCopy(&files.table());
  host::TracerHost host(*h.display, &files);
  host::OffsetHost offsets(host);
  offsets.SetFixDir("c:\\fix\\");
  const int form_index = data[0] % 7;
  const int failing = kFailingSlots[data[7] >> 5];
  if (failing >= 0) files.FailCall(failing, 1, -3);
  host.preset_table = data[7] & 4 ? 255 : '4';
  host.write_reads_value_text = form_index == 6;
  host.SetSetting(kConfigShiftTable, static_cast<uint32_t>(data[2] >> 4) << 8);
  host.SetSetting(kConfigMirrorAxes, (data[6] & 7u) | (data[6] >> 4 & 7u) << 16);
  host.SetSetting(kConfigHardwired, static_cast<uint32_t>(data[3]) << 24 | 0x00101101u);
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
  static HardwiredForm hardwired;
  const bool no_preset = host.preset_table == 255;
  if (form_index == 6) HardwiredPrefix(&hardwired, &host.record());
  else FormPrefix(&form, &host.record(), kVariants[form_index]);
  CheckFields(host, form_index);
  for (; at < size; ++at) {
    if (data[at] >= 0xF0) {
      host.KeyForm(0, data[at] & 0xF);
    } else {
      host.KeyForm(data[at]);
    }
    const int result = form_index == 6 ? HardwiredData(&hardwired, &host.record()) : FormData(&form, &host.record());
    CheckFields(host, form_index);
    FUZZ_CHECK(result == 0 || result == 9);
    FUZZ_CHECK(files.open_handles() <= (failing == kFspClose ? 1 : 0));
    if (form_index == 6 && no_preset) FUZZ_CHECK(host.preset_table == 255);
    if (result == 9) {
      FUZZ_CHECK(host.form_status == 9);
      break;
    }
  }
  return 0;
}
