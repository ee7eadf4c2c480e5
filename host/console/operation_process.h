// The console's side of one running operation: the operation runs in a
// process of its own (hostsim-operation, with its own drive folder), so a
// library that crashes or hangs takes down that operation only. A thread
// reads the child's report lines and, when the child ends, reports how it
// ended. Destroying the object ends the child and removes its folder.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "host/console/operation.h"
#include "host/console/shared_frame.h"

namespace host {

class OperationProcess {
 public:
  // kind: "frame" (with the frame read from the shared screen and, as the
  // text, the wall-clock milliseconds it was drawn at), "message",
  // "result", "status" (as the child reports them) and at the end "status"
  // with "ended" or "crashed: ...". Called from the reader thread.
  using Report = std::function<void(const std::string& kind, const std::string& text, const FrameCopy* frame)>;

  // Starts `worker` (hostsim-operation) for the operation with the checked
  // option values; throws HostError when it cannot.
  OperationProcess(const std::string& worker, const Operation& operation, const OptionValues& values,
                   const OptionValues& shown, Report report);
  ~OperationProcess();
  OperationProcess(const OperationProcess&) = delete;
  OperationProcess& operator=(const OperationProcess&) = delete;

  // Hands a key code to the operation; false when it has ended.
  bool SendKey(int code);
  const SharedFrame& frame() const { return frame_; }

 private:
  void ReadReports();
  std::string folder_;
  SharedFrame frame_;
  Report report_;
  std::mutex child_mutex_;
  pid_t child_ = -1;  // until reaped (under child_mutex_)
  int key_fd_ = -1, report_fd_ = -1;
  std::thread reader_;
};

// How a child ended, in words ("ended", "crashed: signal 11 (Segmentation fault)").
std::string ChildEnd(int wait_status);

}  // namespace host
