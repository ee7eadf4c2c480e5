// Drives libTracer the way the control's main program does: FSPInit and
// LocalizationInit once, then a form's prefix and data calls (one key per
// data call, the tick advancing by one each call) or the path screen's
// prefix and periodic step.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/commands/key_script.h"
#include "host/services/file_services.h"
#include "host/services/loader.h"
#include "host/services/tracer_host.h"

namespace host {

enum class TracerForm { kInkor, kInkor2, kInkor3, kInposun, kInposunZapis, kInposunZapisFix, kPosunZapisNatvrdo };

// Keys of the forms: down, up, left, right, enter, sign, leave (the form's
// own leave key); every other word is typed character by character
// (digits, axis letters X Y Z U V W).
extern const KeyTable kFormKeys;
constexpr int kFormKeyLeave = 1000;  // stands for the open form's leave key

class TracerRunner {
 public:
  TracerRunner(TracerHost& host, FileServices& files) : host_(host), files_(files) {}
  bool Load(uint32_t language, std::string* error);

  int Prefix(TracerForm form);
  // One data call of the open form with `key` (0 = none), the tick
  // counter moved on by `ticks` first.
  int Data(uint8_t key, uint16_t ticks = 1);
  // The steps' keys, one data call each, until the form finishes; returns
  // 9 when it finished, else 0. Refuses (returns -1, *error naming the
  // step) a typed character that is no key of the form, before any call.
  int Run(const std::vector<KeyStep>& steps, std::string* error);
  uint8_t LeaveKey() const;

  int PathPrefix();
  int PathPrefixAgain();
  int PathRun();

  Library& library() { return library_; }

 private:
  using Export = int (*)(STRUCT_TRACER*);
  Export Bind(const std::string& name) const;

  TracerHost& host_;
  FileServices& files_;
  Library library_;
  TracerForm form_ = TracerForm::kInkor;
};

// Key codes a script's steps stand for in a form (leave = `leave_key`);
// false with *error naming the step when one is no key of the forms.
bool FormKeyCodes(const std::vector<KeyStep>& steps, uint8_t leave_key, std::vector<uint8_t>* codes,
                  std::string* error);

// The same with pauses: "wait=N" is N data calls without a key, one a
// tick (as the control calls an open form); a key is a data call one tick
// after the one before.
struct FormStep {
  uint8_t key;
  uint16_t ticks;
};
bool FormSteps(const std::vector<KeyStep>& steps, uint8_t leave_key, std::vector<FormStep>* out,
               std::string* error);
// The leave key of a form.
uint8_t FormLeaveKey(TracerForm form);

}  // namespace host
