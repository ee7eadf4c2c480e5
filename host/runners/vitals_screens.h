// The host side of libVitals' input/output, panel, LED, keyboard, PLC
// interface and drive screens: the records, the blocks they point at and
// the host-memory values (vitals/host_layout.h), filled with a sample
// machine and changed by NAME=VALUE settings, then the screen's
// PREFIX and DATA (CONT, ZMENA) calls.
//
// Settings (VALUE decimal, or hexadecimal with 0x; @N picks a port,
// channel, module, axis or byte):
//   inputs   in@1..40  mark@1..40  mark2@1..40      (marks: bits set by hand)
//   outputs  out@0..29 c@0..29 vi@0..29 mark@0..29 mark2@0..29 format=N
//   iopan    mat@0..8 mat2@0..8 mark@0..8 mark2@0..8
//   ports    manual=0|1 (host reports manual I/O control), order=0|1
//   dgnpan   panel=1|2, in.F@0..7 and out.F@0..7 with F one of address,
//            data, status, count, version, error, down
//   pb1 pb2 bz1 bz2   pb@0..7 bzh@0..7 (bytes; PB00 is bit 0 of byte 0)
//   keyboard redirection=N pot1=N pot2=N
//   slm      available=0|1 command=N, per channel @1..16: detected zero
//            active index action position speed status fault reference
//            switch error pid1..pid6 pidb1..pidb6 filter rating type
//            maxspeed scaling i2t version
//   servo    available=0|1 enable=MASK, per channel @1..16: link dif enter pos
//   ecc      vendor device supported enabled multibit option systemp
//            proctemp dimm@0..2
//   trans    axis@1..6 (host code) fictive@1..6 real@1..6 kind@1..3 angle@1..3
#pragma once

#include <stdint.h>

#include <array>
#include <string>
#include <vector>

#include "host/runners/vitals_runner.h"
#include "vitals/drive_records.h"
#include "vitals/io_records.h"

namespace host {

// How a screen is opened: the record's layout letter and, for the
// keyboard test and the LEDs, what they show.
struct ScreenRun {
  std::string screen;
  char layout = 'C';
  char keyboard = 'D';
  uint8_t leds = 0;
  bool labelled = false;
};

// Keys held during one CONT_TESTTLAC call (-1: none).
using HeldKeys = std::array<int, 4>;
constexpr HeldKeys kNoKeysHeld = {-1, -1, -1, -1};

class VitalsScreens {
 public:
  VitalsScreens(VitalsRunner& runner, HostMemory& memory);

  // The screens this class drives, "inputs | outputs | ...".
  static const std::vector<std::string>& Names();
  static bool Known(const std::string& screen);
  // Applies the sample and then the settings; "" or the refused setting
  // and why.
  std::string Apply(const std::string& screen, const std::vector<std::string>& settings);
  // Fills the screen's record and calls its PREFIX; false for a screen
  // this class does not drive.
  bool Open(const ScreenRun& run);
  // One periodic call of the open screen: DATA (ZMENA_LED) with the key in
  // the record where it takes one; the keyboard test's CONT with the keys
  // held.
  void Data(int key);
  void Cont(const HeldKeys& held);
  // "--held" as steps: "5;5;;12,13,14,15"; "" or why it was refused.
  static std::string ParseHeld(const std::string& text, std::vector<HeldKeys>* steps);

 private:
  std::string Set(const std::string& screen, const std::string& name, int index, long value);
  void Call(const char* name, void* record);

  VitalsRunner& runner_;
  HostMemory& memory_;
  std::string screen_;
  void* record_ = nullptr;  // the open screen's record
  std::string data_;        // and its periodic export
  _INOUT inout_{};
  _DGNPAN dgnpan_{};
  _PB_BZH pb_bzh_{};
  uint8_t commands_[8] = {};
  uint8_t signals_[8] = {};
  _LEDDIODY leds_{};
  uint8_t led_byte_ = 0, led_mode_ = 0;
  _LPTESTTLAC keyboard_{};
  _DGSLM slm_{};
  uint8_t slm_errors_[8] = {};
  uint16_t slm_command_ = 0;
  _DGSERVO servo_{};
  SERVO_POINTERS servo_pointers_{};
  uint16_t servo_mask_ = 0;
  uint8_t servo_links_[32] = {};
  int32_t servo_differences_[16] = {}, servo_entries_[16] = {}, servo_positions_[16] = {};
  _DGNECC ecc_{};
  _TRANS trans_{};
  uint32_t axis_codes_[6] = {};
  _NKOR nkor_{};
  _SU4 su4_{};
};

}  // namespace host
