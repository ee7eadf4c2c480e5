// A sandbox with the preprocessor library loaded through the host runner,
// for the tests that translate programs through the exports. The tick
// counter is the test's own: still unless `tick_step` moves it on every
// host service call (up, or down with `counts_down`).
#pragma once

#include <string>
#include <vector>

#include "host/runners/preprocess_runner.h"
#include "tests/support/sandbox.h"

namespace testing_support {

struct Translation {
  host::PreprocessEnd end = host::PreprocessEnd::kHalted;
  std::string output;        // the destination after PreprocessStop ("" when missing)
  bool output_exists = false;
  bool work_file_left = false;
  int handles_left = 0;      // host files left open after PreprocessStop
  std::string status, error; // the lines shown, UTF-8
  uint32_t cont_calls = 0;
  uint32_t inputs = 0;
  uint64_t most_calls = 0;     // the most host service calls of one PreprocessCont
  uint8_t key_flag_after = 0;  // the record's key flag after the translation
  std::vector<std::string> drawing;  // every graphics call, described
};

class PreprocessHost {
 public:
  PreprocessHost();
  Sandbox& box() { return box_; }
  // Writes a file of the program folder c:\prog.
  void WriteProgramFile(const std::string& name, const std::string& content);

  // Translates c:\prog\<name> into c:\out\p.nc, answering each input from
  // `answers` (typed as hostsim's --input).
  Translation Translate(const std::string& name, const std::vector<std::string>& answers = {});
  // Writes `source` as c:\prog\main.prg and translates it.
  Translation TranslateText(const std::string& source, const std::vector<std::string>& answers = {});

  uint32_t tick_step = 0;
  bool counts_down = false;
  uint32_t tick_frequency = 1000;
  int left = 0, top = 0, right = 639, bottom = 479;
  bool skip_slash = false;
  uint32_t language = 5;
  // Answers handed over one key at a time, as an operator types them.
  bool key_by_key = false;
  // Runs just before PreprocessStart (fault injection).
  std::function<void()> before_start;

 private:
  Sandbox box_;
  // Keeps the library loaded between translations, as the host does, so
  // that the E-parameters carry over from one translation to the next.
  host::Library loaded_;
  volatile uint32_t ticks_ = 0;
};

// Lines joined with CR LF, each ended by one.
std::string CrLf(const std::vector<std::string>& lines);

}  // namespace testing_support
