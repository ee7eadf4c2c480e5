// Fuzz target: libVitals' port, panel-test, interface, LED, keyboard and
// drive screens over arbitrary records, host values and keys; and the
// fixed-width fields over arbitrary numbers.
//
// Input layout:
//   byte 0       screen (mod 16): inputs, outputs, iopan, dgnpan, pb1, pb2,
//                bz1, bz2, leds, keyboard, slm, servo, ecc, trans, nkor, su4
//   byte 1       flags: bit 0 null blocks (the record's pointers stay 0)
//   bytes 2-33   the record's bytes (pointers replaced by the harness's
//                blocks unless bit 0 is set)
//   bytes 34-37  a number for the fields
//   byte 38      number of DATA (CONT, ZMENA) calls k (0..15), then k key
//                bytes (into the key, held-key or LED byte of the record)
//   the rest     host values: the host-memory areas the screens read and
//                the record's blocks, filled in turn
//
// Checks: host memory outside those areas is poisoned and every block is
// exactly as large as the screens may read, so any other read stops the
// run; every display call is accepted (no null text, known words); every
// line of a text fits its box; a field is exactly its width.
#include <sanitizer/asan_interface.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "bridge/localization.h"
#include "fuzz/fuzz_check.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "vitals/axis_screens.h"
#include "vitals/ecc_screen.h"
#include "vitals/host_layout.h"
#include "vitals/interface_screen.h"
#include "vitals/keyboard_test.h"
#include "vitals/led_strip.h"
#include "vitals/panel_test_screen.h"
#include "vitals/port_screen.h"
#include "vitals/screen_fields.h"
#include "vitals/servo_screen.h"
#include "vitals/slm_screen.h"
#include "vitals/vitals_service.h"

namespace {

struct Area {
  uint32_t from, to;
};
// What the screens may read of the host memory block.
const Area kAreas[] = {
    {kPortInputs, kPortColumnOrder + 1},
    {kPanelModules, kPanelModules + 0x200},
    {kSlmChannels, kSlmChannels + kSlmChannelBytes * 16},
    {kSlmDetected, kSlmLastOffset},
    {kTransFictive, kTransLastOffset},
};

struct Harness {
  host::Screen* screen;
  host::DisplayServices* display;
  uint8_t* memory;
  _VITALS vitals;
};

Harness& Get() {
  static Harness h = [] {
    Harness x{};
    x.screen = new host::Screen(800, 600);
    x.display = new host::DisplayServices(*x.screen, host::TextStyle::kScreen);
    LocalizationSelect(nullptr, kLangEnglish);
    x.memory = new uint8_t[kScreensHostBytes]();
    ASAN_POISON_MEMORY_REGION(x.memory, kScreensHostBytes);
    for (const Area& a : kAreas) ASAN_UNPOISON_MEMORY_REGION(x.memory + a.from, a.to - a.from);
    x.vitals.dispatch = x.display->dispatch();
    x.vitals.display = x.display->block();
    x.vitals.host_memory = x.memory;
    ServiceInit(&x.vitals);
    return x;
  }();
  return h;
}

// Host values from the input, in turn.
struct Source {
  const uint8_t* data;
  size_t size, at;
  uint8_t Next() { return size == 0 ? 0 : data[at++ % size]; }
  void Fill(uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] = Next();
  }
};

void CheckFields(int32_t v) {
  char text[32];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  AppendThousandths(&b, v);
  FUZZ_CHECK(b.length == kThousandthsWidth);
  for (uint32_t width = 1; width <= 10; ++width) {
    b = MakeTextBuffer(text, sizeof text);
    AppendZeroPadded(&b, static_cast<uint32_t>(v), width);
    FUZZ_CHECK(b.length == width);
    b = MakeTextBuffer(text, sizeof text);
    AppendSignedPadded(&b, v, width);
    FUZZ_CHECK(b.length == width + 1);
  }
}

void CheckCalls(Harness& h) {
  int columns = 0;
  for (const host::GdiCall& call : h.display->recorder().calls()) {
    FUZZ_CHECK(call.error.empty());
    if (call.word == kDisplayTextStyle) columns = call.columns;
    if (call.word != kDisplayWriteText) continue;
    int line = 0;
    for (char c : call.text) {
      if (c == '\n' || c == '\r') {
        line = 0;
        continue;
      }
      FUZZ_CHECK(++line <= columns);
    }
  }
  h.display->recorder().Clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 39) return 0;
  Harness& h = Get();
  int32_t number;
  memcpy(&number, data + 34, 4);
  CheckFields(number);
  size_t calls = data[38] & 15;
  if (39 + calls > size) return 0;
  const uint8_t* keys = data + 39;
  Source host{data + 39 + calls, size - 39 - calls, 0};
  for (const Area& a : kAreas) host.Fill(h.memory + a.from, a.to - a.from);
  bool null_blocks = data[1] & 1;
  uint8_t record[32];
  memcpy(record, data + 2, sizeof record);

  // Blocks exactly as large as the screens may read.
  std::vector<uint8_t> pb(8), bzh(8), errors(8), command(2), mask(2), links(32), leds(1), mode(1);
  std::vector<uint8_t> differences(64), entries(64), positions(64), codes(24);
  for (auto* v : {&pb, &bzh, &errors, &command, &mask, &links, &leds, &mode, &differences, &entries, &positions,
                  &codes})
    host.Fill(v->data(), v->size());
  SERVO_POINTERS servo_pointers{};
  if (!null_blocks)
    servo_pointers = {reinterpret_cast<const uint16_t*>(mask.data()), links.data(),
                      reinterpret_cast<const int32_t*>(differences.data()),
                      reinterpret_cast<const int32_t*>(entries.data()),
                      reinterpret_cast<const int32_t*>(positions.data())};
  auto pointer = [&](size_t offset, const void* block) {
    RecordSet<const void*>(record, offset, null_blocks ? nullptr : block);
  };

  static LedState led_state;
  static KeyboardTest keyboard;
  static SlmState slm;
  h.display->recorder().Clear();
  switch (data[0] % 16) {
    case 0: case 1: case 2: {
      PortScreen screen = data[0] % 16 == 0 ? PortScreen::kInputs : data[0] % 16 == 1 ? PortScreen::kOutputs
                                                                                    : PortScreen::kPanel;
      _INOUT inout{};
      inout.layout = static_cast<char>(record[0]);
      inout.output_format = record[1];
      PortPrefix(screen, &inout);
      for (size_t k = 0; k <= calls; ++k) PortData(screen, &inout);
      break;
    }
    case 3:
      PanelTestPrefix(reinterpret_cast<_DGNPAN*>(record));
      for (size_t k = 0; k < calls; ++k) PanelTestData(reinterpret_cast<_DGNPAN*>(record));
      break;
    case 4: case 5: case 6: case 7: {
      InterfaceScreen s = static_cast<InterfaceScreen>(data[0] % 16 - 4);
      pointer(offsetof(_PB_BZH, commands), pb.data());
      pointer(offsetof(_PB_BZH, signals), bzh.data());
      InterfacePrefix(s, reinterpret_cast<_PB_BZH*>(record));
      for (size_t k = 0; k < calls; ++k) InterfaceData(s, reinterpret_cast<_PB_BZH*>(record));
      break;
    }
    case 8:
      pointer(offsetof(_LEDDIODY, leds), leds.data());
      pointer(offsetof(_LEDDIODY, mode), mode.data());
      led_state = {};
      if (data[1] & 2) LedPrefix(&led_state, reinterpret_cast<_LEDDIODY*>(record));
      for (size_t k = 0; k < calls; ++k) {
        leds[0] = keys[k];
        LedChange(&led_state, reinterpret_cast<_LEDDIODY*>(record));
      }
      break;
    case 9: {
      auto* r = reinterpret_cast<_LPTESTTLAC*>(record);
      KeyboardPrefix(&keyboard, r);
      for (size_t k = 0; k < calls; ++k) {
        r->held[k % 4] = keys[k];
        KeyboardCont(&keyboard, r);
      }
      break;
    }
    case 10: {
      pointer(offsetof(_DGSLM, base), h.memory);
      pointer(offsetof(_DGSLM, errors), errors.data());
      pointer(offsetof(_DGSLM, drive_command), command.data());
      auto* r = reinterpret_cast<_DGSLM*>(record);
      SlmPrefix(&slm, r);
      for (size_t k = 0; k < calls; ++k) {
        r->key = keys[k];
        SlmData(&slm, r);
        FUZZ_CHECK(r->available == 0 || r->key == 0);
        FUZZ_CHECK(slm.channel >= 1 && slm.channel <= 16 && (slm.set == 'a' || slm.set == 'b'));
      }
      break;
    }
    case 11:
      pointer(offsetof(_DGSERVO, pointers), &servo_pointers);
      ServoPrefix(reinterpret_cast<_DGSERVO*>(record));
      for (size_t k = 0; k < calls; ++k) ServoData(reinterpret_cast<_DGSERVO*>(record));
      break;
    case 12:
      EccPrefix(reinterpret_cast<_DGNECC*>(record));
      for (size_t k = 0; k < calls; ++k) EccData(reinterpret_cast<_DGNECC*>(record));
      break;
    case 13:
      pointer(offsetof(_TRANS, axis_codes), codes.data());
      TransPrefix(reinterpret_cast<_TRANS*>(record));
      for (size_t k = 0; k < calls; ++k) TransData(reinterpret_cast<_TRANS*>(record));
      break;
    case 14:
      NkorPrefix(reinterpret_cast<_NKOR*>(record));
      break;
    default:
      Su4Prefix(reinterpret_cast<_SU4*>(record));
      break;
  }
  CheckCalls(h);
  return 0;
}
