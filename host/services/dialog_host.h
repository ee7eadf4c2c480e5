// The simulator's side of the transformation dialog: the host variables
// behind STRUCT_TRACER's fields 99 and 116-152 and the eleven services at
// 256-292. Attaches to a TracerHost:
//
//   host::TracerHost tracer(display, &files);
//   host::DialogHost dialog(tracer);
//   tracer.record().transformType = 1;
//   DLL_PREFIX_TRANSFORMACE(&tracer.record()); ...
//   dialog.calls();     // "activate 1", "save", "store 1", ... in order
//
// Services (no arguments, each returns 1): store 1..3, activate 1..3 (sets
// the type's active flag), deactivate 1..3 (clears it), save. The axis
// codes of axes 1..6 are the settings words 4..24 (X, Y and Z by default).
// The six text buffers carry guard bytes (GuardsIntact()).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/services/tracer_host.h"

namespace host {

class DialogHost {
 public:
  explicit DialogHost(TracerHost& tracer);
  ~DialogHost();
  DialogHost(const DialogHost&) = delete;
  DialogHost& operator=(const DialogHost&) = delete;

  // Axis codes of axes 1..6 (0 = no axis).
  void SetAxisCodes(const std::vector<uint32_t>& codes);
  const std::vector<std::string>& calls() const { return calls_; }
  std::string Distance(int k) const;  // a1..a3 as the library left them
  std::string Angle(int k) const;
  bool GuardsIntact() const;

  uint8_t mask = 0xEE;  // a value the library must overwrite on save
  uint8_t active[3] = {};

 private:
  TracerHost& tracer_;
  GuardedText<kDialogTextBytes> distances_[3]{}, angles_[3]{};
  std::vector<uint32_t> handles_;
  std::vector<std::string> calls_;
};

}  // namespace host
