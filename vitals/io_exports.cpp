// The exports of the input/output, panel, LED, keyboard-test, PLC
// interface and table screens. Each returns 0; before INIT_VITALS none of
// them draws.
#include "bridge/host_api.h"
#include "vitals/interface_screen.h"
#include "vitals/keyboard_test.h"
#include "vitals/led_strip.h"
#include "vitals/panel_test_screen.h"
#include "vitals/port_screen.h"

namespace {
LedState g_leds;
KeyboardTest g_keyboard;
}  // namespace

LIB_EXPORT int PREFIX_INPUT(_INOUT* record) {
  PortPrefix(PortScreen::kInputs, record);
  return 0;
}
LIB_EXPORT int DATA_INPUT(_INOUT* record) {
  PortData(PortScreen::kInputs, record);
  return 0;
}
LIB_EXPORT int PREFIX_OUTPUT(_INOUT* record) {
  PortPrefix(PortScreen::kOutputs, record);
  return 0;
}
LIB_EXPORT int DATA_OUTPUT(_INOUT* record) {
  PortData(PortScreen::kOutputs, record);
  return 0;
}
LIB_EXPORT int PREFIX_IOPAN(_INOUT* record) {
  PortPrefix(PortScreen::kPanel, record);
  return 0;
}
LIB_EXPORT int DATA_IOPAN(_INOUT* record) {
  PortData(PortScreen::kPanel, record);
  return 0;
}

LIB_EXPORT int PREFIX_DGNPAN(_DGNPAN* record) {
  PanelTestPrefix(record);
  return 0;
}
LIB_EXPORT int DATA_DGNPAN(_DGNPAN* record) {
  PanelTestData(record);
  return 0;
}

LIB_EXPORT int CLR_PREFIX_LED(_LEDDIODY* record) {
  LedPrefix(&g_leds, record);
  return 0;
}
LIB_EXPORT int ZMENA_LED(_LEDDIODY* record) {
  LedChange(&g_leds, record);
  return 0;
}

LIB_EXPORT int PREFIX_TESTTLAC(_LPTESTTLAC* record) {
  KeyboardPrefix(&g_keyboard, record);
  return 0;
}
LIB_EXPORT int CONT_TESTTLAC(_LPTESTTLAC* record) {
  KeyboardCont(&g_keyboard, record);
  return 0;
}

LIB_EXPORT int PREFIX_PB1(_PB_BZH* record) {
  InterfacePrefix(InterfaceScreen::kPb1, record);
  return 0;
}
LIB_EXPORT int PREFIX_PB2(_PB_BZH* record) {
  InterfacePrefix(InterfaceScreen::kPb2, record);
  return 0;
}
LIB_EXPORT int PREFIX_BZ1(_PB_BZH* record) {
  InterfacePrefix(InterfaceScreen::kBz1, record);
  return 0;
}
LIB_EXPORT int PREFIX_BZ2(_PB_BZH* record) {
  InterfacePrefix(InterfaceScreen::kBz2, record);
  return 0;
}
LIB_EXPORT int DATA_PB1(_PB_BZH* record) {
  InterfaceData(InterfaceScreen::kPb1, record);
  return 0;
}
LIB_EXPORT int DATA_PB2(_PB_BZH* record) {
  InterfaceData(InterfaceScreen::kPb2, record);
  return 0;
}
LIB_EXPORT int DATA_BZ1(_PB_BZH* record) {
  InterfaceData(InterfaceScreen::kBz1, record);
  return 0;
}
LIB_EXPORT int DATA_BZ2(_PB_BZH* record) {
  InterfaceData(InterfaceScreen::kBz2, record);
  return 0;
}

// The table display has no record layout a host could fill nor bounds for
// the host tables it would read: it stays inert, reads nothing, draws
// nothing.
LIB_EXPORT int PREFIX_INDITAB(_INDITAB*) { return 0; }
LIB_EXPORT int DATA_INDITAB(_INDITAB*) { return 0; }
