// Drives libMosaic as the control's main program does: FSPInit, then
// LocalizationInit with the operator's language (the library selects no
// table at load), then the common dialog and the LED window over the
// shared host memory block.
//
//   host::HostMemory memory;
//   host::MosaicRunner mosaic(display, memory);
//   mosaic.Load(files, 9, &error);
//   mosaic.SetCorrection(-8);             // second height-sensor correction
//   mosaic.SetTransform(MosaicTransform::kVariantA);
//   mosaic.DrawLed();                     // DLL_DISPLAY_WIN_LED, mode 0
//   mosaic.Convert(EncodeBcd(1500), EncodeBcd(-250), &first, &second);
//
// The records: STRUCT_DISPLAYWL and STRUCT_COMMONDIAL point at the display
// block (palette) and at a services record laid out as STRUCT_TRACER's
// header (dispatch at 2, display block at 6).
#pragma once

#include <stdint.h>

#include <string>

#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/host_memory.h"
#include "host/services/loader.h"
#include "mosaic/mosaic_records.h"

namespace host {

enum class MosaicTransform { kOff, kVariantA, kVariantB, kActiveNoVariant };

// A signed whole number as a sign-magnitude BCD word: eight digits, the
// eighth in three bits (|value| up to 79999999; larger ones do not fit).
uint32_t EncodeBcd(int64_t value);

class MosaicRunner {
 public:
  MosaicRunner(DisplayServices& display, HostMemory& memory);
  bool Load(FileServices& files, uint32_t language, std::string* error);

  void SetCorrection(int32_t eighths);
  void SetTransform(MosaicTransform state);
  // Coefficient k (0..8) as the control stores it: 80-bit extended.
  void SetCoefficient(int k, long double value);

  int DialStart();
  int DialCont();
  int DialStop();
  int DrawLed();
  // Conversion mode with the coordinate words 230 (first) and 229 (second).
  int Convert(uint32_t word230, uint32_t word229, double* first, double* second);

  Library& library() { return library_; }
  STRUCT_DISPLAYWL& led_record() { return led_; }

 private:
  int Call(const char* name, const void* record);

  HostMemory& memory_;
  Library library_;
  STRUCT_TRACER services_{};
  STRUCT_COMMONDIAL dial_{};
  STRUCT_DISPLAYWL led_{};
  uint32_t words_[231] = {};
  double first_ = 0, second_ = 0;
};

}  // namespace host
