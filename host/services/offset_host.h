// The simulator's side of the zero-offset forms beyond TracerHost: the
// fixed additive shift's service (writeFixHandle) and the folder of the
// fixed table (fixTableDir). Attaches to a TracerHost:
//
//   host::TracerHost tracer(display, &files);
//   host::OffsetHost offsets(tracer);
//   offsets.SetFixDir("c:\\fix\\");
//   DLL_PREFIX_INPOSUN_ZAPIS_FIX(&tracer.record()); ...
//   offsets.fix_writes();      // what the fixed-shift service received
//
// Service:
//   write fix ()   takes over a change of the fixed additive shift: records
//                  axisIndex and resultText; returns 0 (FailFix(): 1)
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/services/tracer_host.h"

namespace host {

class OffsetHost {
 public:
  explicit OffsetHost(TracerHost& tracer);
  ~OffsetHost();
  OffsetHost(const OffsetHost&) = delete;
  OffsetHost& operator=(const OffsetHost&) = delete;

  void SetFixDir(const std::string& dos_dir);
  void FailFix() { fail_ = true; }

  struct FixWrite {
    uint8_t axis;
    std::string value;
  };
  const std::vector<FixWrite>& fix_writes() const { return writes_; }

 private:
  TracerHost& tracer_;
  uint32_t handle_ = 0;
  bool fail_ = false;
  std::vector<FixWrite> writes_;
};

}  // namespace host
