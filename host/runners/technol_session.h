// A technology screen of libTracer with everything it runs on, set up as
// the control does it: a 640x480 form screen, the display block, the
// Tracer record and the technology host holding the screen description.
// The batch command and the console both build it, so the same keys paint
// the same screen in both.
#pragma once

#include <stdint.h>

#include <string>

#include "host/commands/key_script.h"
#include "host/runners/tracer_stage.h"
#include "host/services/technol_host.h"

namespace host {

// Keys of the technology screens; digits are typed.
extern const KeyTable kTechnolKeys;

struct TechnolSettings {
  uint32_t language = 9;
  int screen = 1;         // the wanted screen number
  int instance = 1;       // 1..3
  uint32_t offset = 0;    // added to the description's address
};

class TechnolSession {
 public:
  // `folder` is the drive folder the library's file services reach.
  explicit TechnolSession(const std::string& folder);
  // Pictures are loaded through it before Load.
  TechnolHost& technol() { return technol_; }
  // Loads the library with the description; false with *error.
  bool Load(const std::string& description, const TechnolSettings& settings, std::string* error);
  // Paints the screen; the prefix's result (-1: no such screen).
  int Prefix();
  // One data call with the key; true with the field and text when an entry
  // was handed over by it.
  bool Key(uint8_t code, uint16_t* field, std::string* handed);
  // "screen N shown, current field F".
  std::string StateLine() const;
  Screen& screen() { return stage_.screen; }

 private:
  using Export = int (*)(STRUCT_TRACER*);
  TracerStage stage_;
  TechnolHost technol_;
  Export prefix_ = nullptr, data_ = nullptr;
  int instance_ = 1;
  uint16_t counter_ = 0;
};

}  // namespace host
