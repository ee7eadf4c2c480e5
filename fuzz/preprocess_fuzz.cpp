// Fuzz target: the preprocessor over arbitrary programs, through the host's
// file and graphics services.
//
// Input: sections separated by the line "@@@": the main program, the
// sub-program SUB.SPF, the data file D.DAT, the origin table FI1EOR and
// the operator's keys (one byte each, used in turn; 255 once they are used
// up). Missing sections are empty files. The tick counter moves by one
// millisecond on every host call, so translations run in many slices.
//
// Checks: the translation ends within a bounded number of PreprocessCont
// calls; after PreprocessStop no file is left open and the work file is
// gone; a translation that did not complete leaves no destination; a
// completed one is laid out as the control expects: the message section,
// "%1", numbered blocks N1, N2, ... in order and echo lines, and the end.
#include "fuzz/fuzz_check.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/fsp.h"
#include "bridge/gdi.h"
#include "bridge/localization.h"
#include "fuzz/fuzz_sandbox.h"
#include "host/services/dispatch.h"
#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "norvik/preprocessor.h"

namespace {

struct Harness {
  std::string root;
  host::FileServices* files = nullptr;
  host::Screen* screen = nullptr;
  host::GraphicsServices* graphics = nullptr;
  Preprocessor* preprocessor = nullptr;
  volatile uint32_t ticks = 0;
};

Harness* g_harness = nullptr;

void RemoveSandbox() {
  if (g_harness == nullptr) return;
  delete g_harness->files;
  std::filesystem::remove_all(g_harness->root);
}

Harness& Setup() {
  if (g_harness != nullptr) return *g_harness;
  g_harness = new Harness;
  g_harness->root = MakeFuzzSandbox("preprocess", {"c/prog", "c/cmos", "c/out"});
  g_harness->files = new host::FileServices(g_harness->root);
  g_harness->screen = new host::Screen(320, 200);
  g_harness->graphics = new host::GraphicsServices(*g_harness->screen);
  g_harness->graphics->recorder().Enable(false);
  g_harness->preprocessor = new Preprocessor{};
  FspInitCopy(&g_harness->files->table());
  GdiInitCopy(&g_harness->graphics->table());
  LocalizationSelect(nullptr, kLangCzech);
  Harness* h = g_harness;
  host::SetDispatchObserver([h](uint32_t, int) { h->ticks = h->ticks + 1; });
  atexit(RemoveSandbox);
  return *g_harness;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The completed destination: header, messages, "$MSGEND", "%1", numbered
// blocks in order among echo lines, and the end.
void CheckLayout(const std::string& out) {
  const std::string head = "{\r\nMSG(THIS)\r\n}\r\n$MSGBEGIN 01\r\n";
  FUZZ_CHECK(out.compare(0, head.size(), head) == 0);
  size_t program = out.find("$MSGEND\r\n%1\r\n");
  FUZZ_CHECK(program != std::string::npos);
  FUZZ_CHECK(out.size() >= 5 && out.compare(out.size() - 5, 5, "\r\n*\r\n") == 0);
  size_t pos = program + 13;
  uint32_t next = 1;
  std::string last_block;
  size_t end_of_blocks = out.size() - 3;  // the "*" line
  while (pos < end_of_blocks) {
    size_t end = out.find("\r\n", pos);
    FUZZ_CHECK(end != std::string::npos);
    std::string line = out.substr(pos, end - pos);
    FUZZ_CHECK(line.find('\r') == std::string::npos && line.find('\n') == std::string::npos);
    if (line.compare(0, 3, "  \"") != 0) {
      std::string number = "N" + std::to_string(next++) + " ";
      FUZZ_CHECK(line.compare(0, number.size(), number) == 0);
      last_block = line;
    }
    pos = end + 2;
  }
  FUZZ_CHECK(next >= 5);  // G26, G23, G35 and M30 at least
  FUZZ_CHECK(last_block == "N" + std::to_string(next - 1) + " M30");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Harness& h = Setup();
  std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> sections;
  size_t at = 0;
  while (sections.size() < 4) {
    size_t mark = input.find("@@@\n", at);
    if (mark == std::string::npos) break;
    sections.push_back(input.substr(at, mark - at));
    at = mark + 4;
  }
  sections.push_back(input.substr(at));
  sections.resize(5);
  const std::string prog = h.root + "/c/prog/";
  WriteFile(prog + "main.prg", sections[0]);
  WriteFile(prog + "SUB.SPF", sections[1]);
  WriteFile(prog + "D.DAT", sections[2]);
  WriteFile(prog + "FI1EOR", sections[3]);
  const std::string& keys = sections[4];
  std::filesystem::remove(h.root + "/c/out/p.nc");

  PREPROC_INFO info{};
  info.source_path = "c:\\prog\\main.prg";
  info.destination_path = "c:\\out\\p.nc";
  info.right = 319;
  info.bottom = 199;
  info.ticks = &h.ticks;
  info.tick_frequency = 1000;
  int handles_before = h.files->open_handles();
  Preprocessor* p = h.preprocessor;
  PreprocessorStart(p, &info, true);
  size_t next_key = 0;
  uint32_t result = 1;
  // Each call reads a line, copies a block or takes a key; the runaway
  // guard bounds the lines, the keys are bounded by the input.
  uint32_t calls = 0;
  const uint32_t kMaxCalls = 2000000;
  while (result == 1 && p->phase != Phase::kHalted && calls < kMaxCalls) {
    if (p->phase == Phase::kInput && info.key_waiting == 0) {
      info.key = next_key < keys.size() ? keys[next_key++] : static_cast<char>(255);
      info.key_waiting = 1;
    }
    result = PreprocessorCont(p, &info);
    ++calls;
  }
  FUZZ_CHECK(calls < kMaxCalls);
  bool complete = result == 2;
  FUZZ_CHECK(complete == (p->phase == Phase::kComplete));
  for (double e : p->parameters) FUZZ_CHECK(e == e && e - e == 0);  // finite
  PreprocessorStop(p);
  FUZZ_CHECK(PreprocessorCont(p, &info) == 2);
  FUZZ_CHECK(h.files->open_handles() == handles_before);
  FUZZ_CHECK(!std::filesystem::exists(h.root + "/c/cmos/TempFile.TMP"));
  bool exists = std::filesystem::exists(h.root + "/c/out/p.nc");
  FUZZ_CHECK(exists == complete);
  if (complete) CheckLayout(ReadFile(h.root + "/c/out/p.nc"));
  return 0;
}
