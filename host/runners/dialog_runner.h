// Drives the transformation dialog of libTracer: the prefix once, then one
// data call per key (the keys of kDialogKeys; digits and axis letters are
// typed).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/commands/key_script.h"
#include "host/runners/tracer_runner.h"

namespace host {

extern const KeyTable kDialogKeys;

// Key codes of a script's steps (pauses pass: the dialog keeps no time);
// false with *error naming a step that is no key of the dialog.
bool DialogKeyCodes(const std::vector<KeyStep>& steps, std::vector<uint8_t>* codes, std::string* error);

class DialogRunner {
 public:
  DialogRunner(TracerRunner& runner, TracerHost& host) : runner_(runner), host_(host) {}
  int Prefix();
  int Data(uint8_t key);
  // Every code, one data call each, until the dialog finishes (9).
  int Run(const std::vector<uint8_t>& codes);

 private:
  TracerRunner& runner_;
  TracerHost& host_;
};

}  // namespace host
