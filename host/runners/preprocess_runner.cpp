#include "host/runners/preprocess_runner.h"

#include "host/runners/drawing_library.h"
#include "host/services/dispatch.h"
#include "host/services/tick_clock.h"

namespace host {

namespace {

constexpr uint8_t kEnterKey = 255;
constexpr uint8_t kPointKey = 43;
constexpr uint8_t kSignKey = 63;
// Bounds a run whose library never finishes (a library fault, not a
// program: the library's own guard ends runaway programs).
constexpr uint32_t kMaxContCalls = 50000000;

std::string TrimEnd(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

bool AnswerKeys(const std::string& answer, std::vector<uint8_t>* keys, std::string* error) {
  keys->clear();
  bool negative = false;
  for (size_t i = 0; i < answer.size(); ++i) {
    char c = answer[i];
    if (c >= '0' && c <= '9') {
      keys->push_back(static_cast<uint8_t>(c));
    } else if (c == '.') {
      keys->push_back(kPointKey);
    } else if (c == '-') {
      negative = !negative;
    } else if (c == '<') {
      size_t end = answer.find('>', i);
      int code = end == std::string::npos ? -1 : atoi(answer.substr(i + 1, end - i - 1).c_str());
      if (end == std::string::npos || end == i + 1 || code < 0 || code > 255) {
        *error = "bad key \"" + answer.substr(i) + "\" in answer \"" + answer + "\"";
        return false;
      }
      keys->push_back(static_cast<uint8_t>(code));
      i = end;
    } else if (c != ' ' && c != '\t' && c != '\r') {
      *error = std::string("answer \"") + answer + "\" holds '" + c + "': digits, '.', '-' or <N>";
      return false;
    }
  }
  if (negative) keys->push_back(kSignKey);
  keys->push_back(kEnterKey);
  return true;
}

PreprocessRunner::PreprocessRunner(FileServices& files, Screen& screen,
                                   const volatile uint32_t* ticks, uint32_t frequency,
                                   bool counts_down)
    : files_(files), graphics_(screen), ticks_(ticks), frequency_(frequency),
      counts_down_(counts_down) {}

bool PreprocessRunner::Load(const PreprocessOptions& options, std::string* error) {
  options_ = options;
  if (!library_.Open(LibraryPath(options.library), error)) return false;
  start_ = library_.Bind<Fn>("PreprocessStart");
  cont_ = library_.Bind<Fn>("PreprocessCont");
  stop_ = library_.Bind<Fn>("PreprocessStop");
  if (!start_ || !cont_ || !stop_) {
    if (error) *error = options.library + " lacks the preprocessor exports";
    return false;
  }
  if (!InitDrawingLibrary(library_, options.library, &files_.table(), &graphics_.table(), options.language, error))
    return false;
  info_ = PREPROC_INFO{};
  info_.source_path = options_.source_dos_path.c_str();
  info_.destination_path = options_.destination_dos_path.c_str();
  info_.left = static_cast<uint16_t>(options.left);
  info_.top = static_cast<uint16_t>(options.top);
  info_.right = static_cast<uint16_t>(options.right);
  info_.bottom = static_cast<uint16_t>(options.bottom);
  info_.ticks = ticks_;
  info_.tick_frequency = frequency_;
  info_.counts_down = counts_down_ ? 1 : 0;
  info_.skip_slash = options.skip_slash ? 1 : 0;
  return true;
}

void PreprocessRunner::ReadBackTexts() {
  const auto& calls = graphics_.recorder().calls();
  for (; scanned_ < calls.size(); ++scanned_) {
    const GdiCall& call = calls[scanned_];
    if (call.slot == kGdiTextBox) {
      box_x_ = call.x;
      box_y_ = call.y;
    } else if (call.slot == kGdiWriteText && call.error.empty()) {
      std::string text = TrimEnd(call.text);
      if (box_x_ == options_.left + 8 && box_y_ == options_.top + 6) {
        status_ = text;
      } else if (box_x_ == options_.left + 8 && box_y_ == options_.top + 32) {
        error_ = text;
      } else if (!text.empty() && text.back() == '_') {
        // The input line: the prompt, the number so far and the cursor.
        input_ = text;
        input_awaited_ = true;
      }
    }
  }
}

uint32_t PreprocessRunner::Start() {
  uint32_t r = start_(&info_);
  ReadBackTexts();
  return r;
}

uint32_t PreprocessRunner::Cont() {
  uint32_t r = cont_(&info_);
  ReadBackTexts();
  return r;
}

uint32_t PreprocessRunner::Stop() { return stop_(&info_); }

PreprocessRun PreprocessRunner::Run(const KeySource& next_keys, const std::function<void()>& after_cont) {
  PreprocessRun run;
  std::deque<uint8_t> keys;
  bool answering = false;  // an answer's first keys went in, its enter not yet
  Start();
  while (run.cont_calls < kMaxContCalls) {
    if (!error_.empty()) {
      run.end = PreprocessEnd::kHalted;
      return run;
    }
    if (input_awaited_ && info_.key_waiting == 0) {
      if (keys.empty()) {
        std::vector<uint8_t> typed;
        std::string prompt = input_.substr(0, input_.size() - 1);
        if (!next_keys(prompt, &typed) || typed.empty()) {
          run.end = PreprocessEnd::kNoAnswer;
          return run;
        }
        keys.assign(typed.begin(), typed.end());
        if (!answering) ++run.inputs;
        answering = true;
      }
      info_.key = static_cast<char>(keys.front());
      info_.key_waiting = 1;
      if (keys.front() == kEnterKey) input_awaited_ = answering = false;
      keys.pop_front();
    }
    uint64_t before = MonotonicMicroseconds(), calls_before = DispatchCount();
    uint32_t r = Cont();
    run.slice_us.push_back(static_cast<uint32_t>(MonotonicMicroseconds() - before));
    run.most_calls = std::max(run.most_calls, DispatchCount() - calls_before);
    ++run.cont_calls;
    if (after_cont) after_cont();
    if (r == 2) {
      run.end = error_.empty() ? PreprocessEnd::kComplete : PreprocessEnd::kHalted;
      return run;
    }
  }
  run.end = PreprocessEnd::kUnfinished;
  return run;
}

}  // namespace host
