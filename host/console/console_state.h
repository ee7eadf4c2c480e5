// What the console knows between requests: the running operation (one at a
// time, as the control runs one screen), its last frame, the log of
// messages, results and states the page shows, and the keys recorded since
// the operation started. Every member is guarded by one mutex; Wait lets
// the event stream sleep until something changes.
#pragma once

#include <stdint.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/console/key_recorder.h"
#include "host/console/operation.h"
#include "host/console/operation_process.h"

namespace host {

struct ConsoleEvent {
  uint64_t id = 0;
  std::string kind;  // "message", "result", "status", "key", "host"
  std::string text;
};

struct ConsoleView {
  uint64_t frame = 0;  // console-wide frame number, 0: none yet
  std::string drawn_ms;  // when the operation drew it (wall clock, ms)
  std::vector<ConsoleEvent> events;  // those after the asked id
  bool stopping = false;
};

// How far the running operation got: its last state, the keys sent to it
// and those it has handled (a script or a test waits for them).
struct ConsoleProgress {
  std::string operation;
  std::string status;  // its last "status" report ("running ...", "finished ...", "ended")
  uint64_t keys_sent = 0, keys_ready = 0;
  uint64_t frame = 0;
};

class ConsoleState {
 public:
  // `worker` is the hostsim-operation program that runs each operation.
  ConsoleState(std::string sandbox, uint32_t language, std::string worker)
      : sandbox_(std::move(sandbox)), language_(language), worker_(std::move(worker)) {}
  ~ConsoleState();

  const std::string& sandbox() const { return sandbox_; }
  uint32_t language() const { return language_; }

  // Starts an operation with the page's option values, ending the one that
  // runs; "" or the reason it was refused.
  std::string Start(const std::string& id, const std::map<std::string, std::string>& given);
  void Stop();
  // Hands a key code of the operation's table to it and records it; "" or
  // the reason.
  std::string Key(int code);
  // The recording as a key script; *command the batch command line that
  // replays it into `png` with the script at `script_name`; *frame the
  // number of the frame it leads to (a timed screen's script ends with
  // the wait to that frame). False when no operation ran.
  bool Recording(const std::string& script_name, const std::string& png, std::string* script,
                 std::string* command, bool* is_script, uint64_t* frame) const;

  ConsoleProgress Progress() const;
  // The last frame's PNG and number (empty before the first frame).
  std::vector<uint8_t> FramePng(uint64_t* number);
  // Waits until there is a frame after `frame` or an event after `event`,
  // or `timeout_ms` passed, and returns what is new.
  ConsoleView Wait(uint64_t frame, uint64_t event, int timeout_ms);
  // Wakes every waiter for good (the server is stopping).
  void Shutdown();
  // Adds a line to the log.
  void Log(const std::string& kind, const std::string& text);

 private:
  void LogLocked(const std::string& kind, const std::string& text);
  void OnReport(uint64_t generation, const std::string& kind, const std::string& text, const FrameCopy* frame);

  const std::string sandbox_;
  const uint32_t language_;
  const std::string worker_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<ConsoleEvent> events_;
  uint64_t next_event_ = 1;
  uint64_t frame_number_ = 0;
  FrameCopy frame_;
  std::string frame_drawn_ms_;
  std::vector<uint8_t> png_;
  uint64_t png_number_ = 0;
  std::unique_ptr<OperationProcess> process_;
  const Operation* operation_ = nullptr;
  OptionValues shown_;
  uint64_t generation_ = 0;
  uint64_t started_ms_ = 0;
  KeyRecorder recorder_;
  uint64_t sent_ = 0, ready_ = 0;
  std::string status_;
  bool stopping_ = false;
};

}  // namespace host
