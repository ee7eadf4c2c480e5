// The system-information panel's host data as hostsim sets it: a sample
// machine (XYZ axes, correction 07 in use, a few lengths) changed by
// NAME=VALUE settings:
//   shift=D  correction=NN  digit=D  process=N  status=HHHH  swap=0|1
//   radius=V  length1..length6=V  (decimal values, e.g. -1.234)
//   rows=3..6  mode=N  decimals=3|4|5  axes=LLL (e.g. XYZ, XYU)
//   tool=D  table=NAME  counter=N  special=0|1  warning=0|1
// Values of the current correction number go into host memory.
#pragma once

#include <string>
#include <vector>

#include "host/runners/vitals_runner.h"

namespace host {

// Applies the sample and then `settings`; returns "" or the reason a
// setting was refused ("length7=1: ...").
std::string ApplyPanelSettings(const std::vector<std::string>& settings, bool variant, char machine_type,
                               PanelHostData* data, HostMemory& memory);

}  // namespace host
