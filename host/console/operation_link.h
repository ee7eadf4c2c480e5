// The operation's side of the console, inside its own process: it draws
// into the shared frame, reports lines to the console server through a
// pipe ("frame", "message", "result", "status", "keywait", "ready") and
// reads the keys the operator presses from another pipe, one host key code
// per byte.
//
// Timed screens (a library called periodically) run on a clock of their
// own; the time between keys decides what they draw. Such an operation
// tells the server the wait it applied before each key it takes, in the
// unit of its batch command's `wait` step (KeyWait), and how far its clock
// went on since that key (SinceKey, kept with each frame), so the
// recording replays the same calls in the same order rather than the
// wall-clock pauses the server saw.
#pragma once

#include <stdint.h>

#include <string>

#include "host/console/shared_frame.h"
#include "host/screen/screen.h"

namespace host {

class OperationLink {
 public:
  OperationLink(SharedFrame& frame, int key_fd, int report_fd) : frame_(frame), key_fd_(key_fd), report_fd_(report_fd) {}

  // Publishes the screen when it changed.
  void Frame(const Screen& screen);
  // The same, at most once every `interval_ms` (a loop of short library
  // calls; the last frame of the loop is published with Frame).
  void FrameEvery(const Screen& screen, uint32_t interval_ms);
  // A line of the host's messages, and the library's result.
  void Message(const std::string& text) { Report("message", text); }
  void Result(const std::string& text) { Report("result", text); }
  // The operation's state: "running", "finished", "failed" and a text.
  // A state also tells the server that the keys taken so far are handled
  // (an operation that finishes on a key waits for no more).
  void Status(const std::string& state, const std::string& text);

  enum KeyArrival { kKey, kNoKey, kClosed };
  // Waits up to `timeout_ms` (-1: for ever) for a key code. Called after
  // the keys taken so far are handled, it tells the server so ("ready N").
  KeyArrival NextKey(int timeout_ms, int* code);

  // Right after taking a key: the wait the operation applied before it,
  // in its batch command's `wait` unit. Restarts the time since the key.
  void KeyWait(uint32_t wait);
  // The operation's clock since the last key taken (or its start), same
  // unit; every frame published after it carries it, so that a recording
  // ends with the wait that leads to the last frame.
  void SinceKey(uint32_t wait);

 private:
  void Report(const std::string& kind, const std::string& text);
  void ReportReady();
  SharedFrame& frame_;
  int key_fd_, report_fd_;
  uint64_t last_frame_us_ = 0;
  FrameClock clock_;  // timed once KeyWait or SinceKey was called
  uint32_t ready_reported_ = 0;
};

}  // namespace host
