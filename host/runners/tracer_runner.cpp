#include "host/runners/tracer_runner.h"

#include <ctype.h>

#include "host/runners/drawing_library.h"

namespace host {

const KeyTable kFormKeys = {{
    {"down", 1, 0, "next row (refused while the entry number is invalid)", ""},
    {"up", 2, 0, "previous row", ""},
    {"left", 12, 0, "cursor left", ""},
    {"right", 14, 0, "cursor right", ""},
    {"enter", 164, 0, "next row; on the result row: write the entry", ""},
    {"sign", 63, 0, "toggle the value's sign", ""},
    {"leave", kFormKeyLeave, 0, "leave the form without writing", ""},
}, true};

namespace {

const char* const kPrefixNames[] = {"DLL_PREFIX_INKOR", "DLL_PREFIX_INKOR2", "DLL_PREFIX_INKOR3",
                                    "DLL_PREFIX_INPOSUN", "DLL_PREFIX_INPOSUN_ZAPIS",
                                    "DLL_PREFIX_INPOSUN_ZAPIS_FIX", "DLL_PREFIX_POSUN_ZAPIS_NATVRDO"};
const char* const kDataNames[] = {"DLL_DATA_INKOR", "DLL_DATA_INKOR2", "DLL_DATA_INKOR3", "DLL_DATA_INPOSUN",
                                  "DLL_DATA_INPOSUN_ZAPIS", "DLL_DATA_INPOSUN_ZAPIS_FIX",
                                  "DLL_DATA_POSUN_ZAPIS_NATVRDO"};
const uint8_t kLeaveKeys[] = {'D', '&', 'R', 'G', 'G', 'P', 'G'};

bool TypedKey(char c) {
  return isdigit(static_cast<unsigned char>(c)) || (c != 0 && std::string("XYZUVW").find(c) != std::string::npos);
}

}  // namespace

bool FormKeyCodes(const std::vector<KeyStep>& steps, uint8_t leave_key, std::vector<uint8_t>* codes,
                  std::string* error) {
  codes->clear();
  for (const KeyStep& step : steps) {
    if (step.kind == KeyStep::kKey) {
      codes->push_back(step.code == kFormKeyLeave ? leave_key : static_cast<uint8_t>(step.code));
    } else if (step.kind == KeyStep::kType) {
      for (char c : step.text) {
        const char key = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        if (!TypedKey(key)) {
          *error = "\"" + step.token + "\": '" + std::string(1, c) +
                   "' is no key of the form (digits, X Y Z U V W, or a key name: down up left right "
                   "enter sign leave)";
          return false;
        }
        codes->push_back(static_cast<uint8_t>(key));
      }
    } else {
      *error = "\"" + step.token + "\": the forms take keys only";
      return false;
    }
  }
  return true;
}

bool FormSteps(const std::vector<KeyStep>& steps, uint8_t leave_key, std::vector<FormStep>* out,
               std::string* error) {
  out->clear();
  std::vector<KeyStep> run;
  auto flush = [&]() {
    std::vector<uint8_t> codes;
    if (!FormKeyCodes(run, leave_key, &codes, error)) return false;
    for (uint8_t code : codes) out->push_back({code, 1});
    run.clear();
    return true;
  };
  for (const KeyStep& step : steps) {
    if (step.kind != KeyStep::kWait) {
      run.push_back(step);
      continue;
    }
    if (!flush()) return false;
    if (step.wait_ms > 65535) {
      *error = "\"" + step.token + "\": a form waits at most 65535 ticks";
      return false;
    }
    // The control calls an open form once a tick: a pause is that many
    // calls without a key.
    for (uint32_t tick = 0; tick < step.wait_ms; ++tick) out->push_back({0, 1});
  }
  return flush();
}

uint8_t FormLeaveKey(TracerForm form) { return kLeaveKeys[static_cast<int>(form)]; }

bool TracerRunner::Load(uint32_t language, std::string* error) {
  if (!library_.Open(LibraryPath("Tracer"), error)) return false;
  return InitDrawingLibrary(library_, "libTracer", &files_.table(), nullptr, language, error);
}

TracerRunner::Export TracerRunner::Bind(const std::string& name) const {
  return library_.Bind<Export>(name);
}

int TracerRunner::Prefix(TracerForm form) {
  form_ = form;
  Export fn = Bind(kPrefixNames[static_cast<int>(form)]);
  return fn != nullptr ? fn(&host_.record()) : -1;
}

int TracerRunner::Data(uint8_t key, uint16_t ticks) {
  host_.KeyForm(key, ticks);
  Export fn = Bind(kDataNames[static_cast<int>(form_)]);
  return fn != nullptr ? fn(&host_.record()) : -1;
}

uint8_t TracerRunner::LeaveKey() const { return kLeaveKeys[static_cast<int>(form_)]; }

int TracerRunner::Run(const std::vector<KeyStep>& steps, std::string* error) {
  std::vector<uint8_t> codes;
  if (!FormKeyCodes(steps, LeaveKey(), &codes, error)) return -1;
  for (uint8_t code : codes)
    if (Data(code) == 9) return 9;
  return 0;
}

int TracerRunner::PathPrefix() {
  Export fn = Bind("PREFIX_GRAFIKA_DRAHY_DLL");
  return fn != nullptr ? fn(&host_.record()) : -1;
}

int TracerRunner::PathPrefixAgain() {
  Export fn = Bind("PREFIX_GRAFIKA_DRAHY_N_DLL");
  return fn != nullptr ? fn(&host_.record()) : -1;
}

int TracerRunner::PathRun() {
  Export fn = Bind("RUN_GRAFIKA_DRAHY_DLL");
  return fn != nullptr ? fn(&host_.record()) : -1;
}

}  // namespace host
