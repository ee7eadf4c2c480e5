// Fuzz target: the transformation dialog (prefix, then one data call per
// key) with an arbitrary type, axis codes and active flags.
//
// Input layout:
//   byte 0     transformation type (any byte; only 1..3 are types)
//   bytes 1-6  axis codes of axes 1..6
//   byte 7     active flags of types 1..3 (bits 0-2)
//   then       keys, one data call each
//
// Checks after every call: every value field holds at most ten characters
// (right-aligned, NUL-ended), the axis fields keep their two and three
// places, the host's buffers stay within their 11 bytes (guard bytes), and
// a finished dialog says so in formStatus.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "fuzz/fuzz_check.h"
#include "host/screen/screen.h"
#include "host/services/dialog_host.h"
#include "host/services/display_services.h"
#include "host/services/tracer_host.h"
#include "tracer/transform_dialog.h"

namespace {

host::DisplayServices& Display() {
  static host::Screen* screen = new host::Screen(640, 480);
  static host::DisplayServices* display = [] {
    auto* d = new host::DisplayServices(*screen, host::TextStyle::kForm);
    d->recorder().Enable(false);
    return d;
  }();
  return *display;
}

void CheckDialog(const TransformDialog& d, const host::DialogHost& dialog) {
  for (const char* value : d.values) FUZZ_CHECK(strnlen(value, kDialogValueChars + 1) == kDialogValueChars);
  FUZZ_CHECK(strnlen(d.plane, 3) == 2 && strnlen(d.space, 4) == 3);
  FUZZ_CHECK(d.field >= 1 && d.field <= kDialogFields);
  FUZZ_CHECK(dialog.GuardsIntact());
  for (int k = 0; k < 3; ++k) FUZZ_CHECK(dialog.Distance(k).size() <= 10 && dialog.Angle(k).size() <= 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  host::TracerHost tracer(Display(), nullptr);
  host::DialogHost dialog(tracer);
  dialog.SetAxisCodes({data[1], data[2], data[3], data[4], data[5], data[6]});
  for (int k = 0; k < 3; ++k) dialog.active[k] = data[7] >> k & 1;
  tracer.record().transformType = data[0];
  static TransformDialog d;
  FUZZ_CHECK(TransformPrefix(&d, &tracer.record()) == 0);
  CheckDialog(d, dialog);
  for (size_t at = 8; at < size; ++at) {
    tracer.KeyForm(data[at]);
    const int result = TransformData(&d, &tracer.record());
    CheckDialog(d, dialog);
    FUZZ_CHECK(result == 0 || result == 9);
    if (result == 9) {
      FUZZ_CHECK(tracer.form_status == 9);
      break;
    }
  }
  return 0;
}
