#include "host/console/console_state.h"

#include <stdlib.h>

#include <chrono>

#include "host/screen/png.h"
#include "host/services/host_error.h"

namespace host {
namespace {

// Lines of the log kept for a page that connects later.
constexpr size_t kKeptEvents = 500;

uint64_t NowMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

}  // namespace

ConsoleState::~ConsoleState() { Stop(); }

std::string ConsoleState::Start(const std::string& id, const std::map<std::string, std::string>& given) {
  const Operation* operation = FindOperation(id);
  if (!operation) return "no operation \"" + id + "\"";
  OptionValues values, shown;
  const std::string refused = CheckOptionValues(*operation, sandbox_, given, language_, &values, &shown);
  if (!refused.empty()) return refused;
  Stop();
  std::unique_ptr<OperationProcess> process;
  uint64_t generation;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    generation = ++generation_;
  }
  try {
    process = std::make_unique<OperationProcess>(
        worker_, *operation, values, shown,
        [this, generation](const std::string& kind, const std::string& text, const FrameCopy* frame) {
          OnReport(generation, kind, text, frame);
        });
  } catch (const HostError& e) {
    Log("host", std::string("cannot start ") + operation->title + ": " + e.what());
    return e.what();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  process_ = std::move(process);
  operation_ = operation;
  shown_ = shown;
  started_ms_ = NowMs();
  recorder_.Begin(started_ms_);
  sent_ = ready_ = 0;
  status_.clear();
  LogLocked("host", "started " + operation->title);
  return "";
}

void ConsoleState::Stop() {
  std::unique_ptr<OperationProcess> ending;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending = std::move(process_);
    ++generation_;  // reports of the ending process are no longer shown
  }
  // Outside the lock: ending the process joins its reader, which may be
  // waiting for the lock to report.
  if (ending) {
    ending.reset();
    Log("host", "operation stopped");
  }
}

std::string ConsoleState::Key(int code) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!process_ || !operation_) return "no operation runs";
  const KeyBinding* key = FindKey(*operation_, code);
  if (!key) return "key code " + std::to_string(code) + " is no key of " + operation_->title;
  if (!process_->SendKey(code)) return "the operation has ended";
  recorder_.Key(key->word, NowMs());
  ++sent_;
  LogLocked("key", key->word);
  return "";
}

bool ConsoleState::Recording(const std::string& script_name, const std::string& png, std::string* script,
                             std::string* command, bool* is_script, uint64_t* frame) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!operation_) return false;
  *frame = frame_number_;
  *is_script = !operation_->replay_count && !operation_->replay_option.empty();
  *command = BatchCommandLine(*operation_, shown_, *is_script ? script_name : std::to_string(recorder_.keys()), png);
  *script = recorder_.Script({"keys recorded by hostsim console; replay with:", *command});
  return true;
}

ConsoleProgress ConsoleState::Progress() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {operation_ ? operation_->id : "", status_, sent_, ready_, frame_number_};
}

std::vector<uint8_t> ConsoleState::FramePng(uint64_t* number) {
  FrameCopy frame;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    *number = frame_number_;
    if (png_number_ == frame_number_) return png_;
    frame = frame_;
  }
  if (frame.rgb.empty()) return {};
  std::vector<uint8_t> png = EncodePngRgb(frame.width, frame.height, frame.rgb.data());
  std::lock_guard<std::mutex> lock(mutex_);
  if (frame_number_ == *number) {
    png_ = png;
    png_number_ = *number;
  }
  return png;
}

ConsoleView ConsoleState::Wait(uint64_t frame, uint64_t event, int timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto news = [&] { return stopping_ || frame_number_ != frame || (!events_.empty() && events_.back().id > event); };
  changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), news);
  ConsoleView view;
  view.frame = frame_number_;
  view.drawn_ms = frame_drawn_ms_;
  view.stopping = stopping_;
  for (const ConsoleEvent& e : events_)
    if (e.id > event) view.events.push_back(e);
  return view;
}

void ConsoleState::Shutdown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
}

void ConsoleState::Log(const std::string& kind, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  LogLocked(kind, text);
}

void ConsoleState::LogLocked(const std::string& kind, const std::string& text) {
  events_.push_back({next_event_++, kind, text});
  if (events_.size() > kKeptEvents) events_.pop_front();
  changed_.notify_all();
}

void ConsoleState::OnReport(uint64_t generation, const std::string& kind, const std::string& text,
                            const FrameCopy* frame) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (generation != generation_) return;
  if (frame) {
    frame_ = *frame;
    if (frame->clock.timed) recorder_.Tail(frame->clock.keys, frame->clock.since_key);
    frame_drawn_ms_ = text;
    ++frame_number_;
    changed_.notify_all();
    return;
  }
  // A timed operation's own clock: what the recording writes as pauses.
  if (kind == "keywait") return recorder_.Taken(strtoull(text.c_str(), nullptr, 10));
  if (kind == "ready") {
    ready_ = strtoull(text.c_str(), nullptr, 10);
    return changed_.notify_all();
  }
  if (kind == "status") status_ = text;
  LogLocked(kind, text);
}

}  // namespace host
