// Fuzz target: the simulator's machine description and ISO program
// loaders. Input: a description, a NUL byte, then a program.
// Checks: each is loaded or refused with "file:line: reason", never a
// crash; a loaded program has count A = count B table entries and ordered
// extents.
#include <stdint.h>
#include <string.h>

#include <string>

#include "fuzz/fuzz_check.h"
#include "host/services/cnc_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find('\0');
  std::string description = input.substr(0, split);
  std::string program = split == std::string::npos ? "" : input.substr(split + 1);
  host::MachineDescription m;
  std::string error;
  if (!host::ParseMachineDescription(description, "m", &m, &error)) {
    FUZZ_CHECK(error.rfind("m:", 0) == 0);
    m = host::MachineDescription();
  }
  host::CncState cnc(m);
  error.clear();
  if (cnc.LoadIsoProgram(program, "p", &error)) {
    FUZZ_CHECK(cnc.count_a == cnc.count_b && cnc.count_b >= 1);
    FUZZ_CHECK(cnc.table().size() == static_cast<size_t>(cnc.count_b) * cnc.entry_size());
    for (int k = 0; k < 3; ++k) FUZZ_CHECK(cnc.extent_1[k] <= cnc.extent_2[k]);
  } else {
    FUZZ_CHECK(error.rfind("p:", 0) == 0);
  }
  return 0;
}
