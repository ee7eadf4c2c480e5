// Drives the preprocessor library the way the control's main program does:
// FSPInit, GDIInit, LocalizationInit, then PreprocessStart, PreprocessCont
// until it reports completion, and PreprocessStop. Operator keys go into
// the record (offsets 27 and 28); what the library shows is read back from
// its drawing calls: the status line, the error line and the input line.
#pragma once

#include <stdint.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "host/services/loader.h"
#include "host/screen/screen.h"
#include "norvik/preproc_info.h"

namespace host {

struct PreprocessOptions {
  std::string library = "Norvik";
  std::string source_dos_path;
  std::string destination_dos_path;
  int left = 0, top = 0, right = 799, bottom = 599;
  uint32_t language = 5;
  bool skip_slash = false;
};

// kUnfinished: the library neither finished nor showed an error within
// the host's bound on PreprocessCont calls.
enum class PreprocessEnd { kComplete, kHalted, kNoAnswer, kUnfinished };

struct PreprocessRun {
  PreprocessEnd end = PreprocessEnd::kHalted;
  uint32_t cont_calls = 0;
  uint32_t inputs = 0;
  std::vector<uint32_t> slice_us;  // duration of each PreprocessCont call
  uint64_t most_calls = 0;         // the most host service calls of one PreprocessCont
};

// Keys that type `answer` into an input: digits as they are, "." as key
// 43, a "-" anywhere as key 63 (the sign), "<N>" as raw key N, then 255.
// Returns false (and sets *error) for any other character.
bool AnswerKeys(const std::string& answer, std::vector<uint8_t>* keys, std::string* error);

class PreprocessRunner {
 public:
  PreprocessRunner(FileServices& files, Screen& screen, const volatile uint32_t* ticks,
                   uint32_t frequency, bool counts_down = false);
  bool Load(const PreprocessOptions& options, std::string* error);

  uint32_t Start();
  uint32_t Cont();
  uint32_t Stop();

  // Start, then Cont until completion or an error; each input the library
  // awaits is answered with the keys `next_keys(prompt, &keys)` gives
  // (AnswerKeys turns a typed answer into them), whole or in parts up to
  // the enter key; it returns false when it has none. `after_cont` runs
  // after every Cont. Stop is left to the caller.
  using KeySource = std::function<bool(const std::string& prompt, std::vector<uint8_t>* keys)>;
  PreprocessRun Run(const KeySource& next_keys, const std::function<void()>& after_cont = {});

  // Texts last drawn, in the control's character set (blanks at the end
  // removed).
  const std::string& status_line() const { return status_; }
  const std::string& error_line() const { return error_; }
  const std::string& input_line() const { return input_; }
  bool input_awaited() const { return input_awaited_; }

  PREPROC_INFO& info() { return info_; }
  GraphicsServices& graphics() { return graphics_; }
  Library& library() { return library_; }

 private:
  using Fn = uint32_t (*)(PREPROC_INFO*);
  void ReadBackTexts();

  FileServices& files_;
  GraphicsServices graphics_;
  Library library_;
  PreprocessOptions options_;
  PREPROC_INFO info_{};
  Fn start_ = nullptr, cont_ = nullptr, stop_ = nullptr;
  const volatile uint32_t* ticks_;
  uint32_t frequency_;
  bool counts_down_;
  size_t scanned_ = 0;
  int box_x_ = -1, box_y_ = -1;
  std::string status_, error_, input_;
  bool input_awaited_ = false;
};

}  // namespace host
