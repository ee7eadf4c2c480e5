// Fuzz target: hostsim's command line, in process. The input is an
// argument vector, its words split at NUL bytes; whatever the words, the
// command line ends with a status from 0 to 3 and leaves no sandbox in
// TMPDIR. The run happens in a private folder that is the current
// directory; words holding a '/' are passed over, so whatever a command
// writes stays in that folder. Inputs whose numbers add up to more than
// 2000 are passed over too: a count or a wait that large asks for minutes
// of work a command rightly does (a key script's wait of 600000 ms is 6000
// screen calls), which is no fault and would only stall the search.
#include <fcntl.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "host/commands/command.h"

namespace {

namespace fs = std::filesystem;

fs::path g_tmp;

void EnterPrivateFolder() {
  char pattern[] = "/tmp/fuzz-command-line-XXXXXX";
  FUZZ_CHECK(mkdtemp(pattern) != nullptr);
  fs::current_path(pattern);
  g_tmp = fs::path(pattern) / "tmp";
  fs::create_directories(g_tmp);
  setenv("TMPDIR", g_tmp.c_str(), 1);
  // No command waits for an answer. (What the commands print is not looked
  // at: -close_fd_mask=3 silences it and keeps libFuzzer's reports.)
  int null = open("/dev/null", O_RDONLY);
  dup2(null, 0);
  close(null);
}

// The sum of the decimal numbers in the input (a run of digits is one).
uint64_t NumbersAddUpTo(const uint8_t* data, size_t size) {
  uint64_t sum = 0, number = 0;
  for (size_t i = 0; i <= size; ++i) {
    if (i < size && data[i] >= '0' && data[i] <= '9') {
      number = number * 10 + (data[i] - '0');
      if (number > 1000000) number = 1000000;  // stays far below overflow
    } else {
      sum += number;
      number = 0;
    }
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_tmp.empty()) EnterPrivateFolder();
  if (size > 4096) return 0;
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    char c = static_cast<char>(data[i]);
    if (c == '/') return 0;
    if (c == '\0') args.emplace_back();
    else args.back() += c;
  }
  if (args.size() > 32) return 0;
  if (NumbersAddUpTo(data, size) > 2000) return 0;
  // The console becomes a web server that serves until stopped.
  if (args[0] == "console") return 0;
  int status = host::RunCommandLine(args);
  FUZZ_CHECK(status >= 0 && status <= 3);
  FUZZ_CHECK(fs::is_empty(g_tmp));
  // Files the command wrote in the folder go, so the next input starts alike.
  for (const auto& entry : fs::directory_iterator(fs::current_path()))
    if (entry.path() != g_tmp) fs::remove_all(entry.path());
  return 0;
}
