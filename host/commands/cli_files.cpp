// hostsim files --drive-c FOLDER --png OUT.png [options] [FTP options]
//
// Runs Anvil's file manager over a folder that the library sees as drive
// c:, driven by a key script: DirStart, then DirCont for each key and
// periodically (until the panel has nothing more to do by itself), as the
// control's main program does. With --server the FTP client (Wharf) is
// loaded beside it and its exports go into the host's function table, so
// "FTP:" paths reach the server. The host's and the panel's messages are
// printed as they change; the screen is written as PNG at the end (and
// after every key with --png-each).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/runners/file_panel_runner.h"
#include "host/runners/wharf_session.h"
#include "host/screen/text.h"
#include "host/services/dispatch.h"
#include "host/services/tick_clock.h"

namespace host {
namespace {

namespace fs = std::filesystem;

const std::string kUsage =
    std::string("--drive-c FOLDER --png OUT.png [--path DIR] [--root DIR] [--mode N]\n"
                "      [--filter EXT] [--word769 HEX] [--preset TEXT] [--system DIR] [--lang N]\n"
                "      [--keys SCRIPT] [--png-each DIR] [--size WxH]\n"
                "      [") + kWharfOptionsUsage + "]\n      keys: " + kPanelKeyNames;

int Usage(const std::string& problem) {
  fprintf(stderr, "hostsim files: %s\nusage: hostsim files %s\n", problem.c_str(), kUsage.c_str());
  return 2;
}

WharfSession* g_session = nullptr;

// The host's entry for wharfCont: one pass of the client, resting a little
// when no frame arrived so a waiting panel does not spin the machine.
extern "C" void HostWharfCont() {
  uint64_t before = g_session->received();
  g_session->Cont();
  if (g_session->received() == before) usleep(20);
}

struct Messages {
  uint16_t host = 0;
  uint32_t panel = 0;
  bool failure = false;

  void Print(FilePanelRunner& r) {
    uint16_t h = r.host_message();
    if (h != 0 && h != host) {
      printf("host message %u\n", h);
      failure |= h == 4200 || h == 2313;
    }
    host = h;
    const _DIR_INFO& i = r.info();
    if (i.message != 0 && i.message != panel) {
      std::string text(i.message_text, strnlen(i.message_text, sizeof i.message_text));
      printf("panel message %u: %s\n", i.message, ZorvToUtf8(text).c_str());
      failure = true;
    }
    panel = i.message;
  }
  // The operator acknowledges the messages shown with the next key.
  void Acknowledge(FilePanelRunner& r) {
    r.anvil().ClearMessage();
    r.info().message = 0;
    r.info().message_text[0] = '\0';
    host = 0;
    panel = 0;
  }
};

int Files(const std::vector<std::string>& args) {
  FilePanelOptions options;
  options.system_directory = "d:\\";
  WharfNetOptions net;
  bool ftp = false;
  std::string drive_c, png, png_each, script;
  int width = 800, height = 600;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string problem;
    int taken = ParseWharfOption(args, &i, &net, &problem);
    if (taken < 0) return Usage(problem);
    if (taken > 0) {
      ftp = true;
      continue;
    }
    if (i + 1 >= args.size()) return Usage(a.rfind("--", 0) == 0 ? a + " needs a value" : "unexpected " + a);
    const std::string& v = args[++i];
    char* end = nullptr;
    if (a == "--drive-c") drive_c = v;
    else if (a == "--png") png = v;
    else if (a == "--png-each") png_each = v;
    else if (a == "--path") options.path = v;
    else if (a == "--root") options.root = v;
    else if (a == "--filter") options.filter = v;
    else if (a == "--preset") options.preset = v;
    else if (a == "--system") options.system_directory = v;
    else if (a == "--keys") script += " " + v;
    else if (a == "--mode") {
      long m = strtol(v.c_str(), &end, 10);
      if (*end != '\0' || m < 0 || m > 255) return Usage("--mode takes 0 to 255");
      options.mode = static_cast<uint8_t>(m);
    } else if (a == "--word769") {
      options.word769 = static_cast<uint32_t>(strtoul(v.c_str(), &end, 16));
      if (*end != '\0' || v.empty()) return Usage("--word769 takes a hexadecimal number");
      options.word769_set = true;
    } else if (a == "--lang") {
      options.language = static_cast<uint32_t>(strtoul(v.c_str(), &end, 10));
      if (*end != '\0' || v.empty()) return Usage("--lang takes a language number (5, 7, 9, 12, 14, 21, 25, 36)");
    } else if (a == "--size") {
      if (sscanf(v.c_str(), "%dx%d", &width, &height) != 2 || width < 320 || height < 200 ||
          width > 4096 || height > 4096)
        return Usage("--size takes WxH from 320x200 to 4096x4096");
    } else {
      return Usage("unknown option " + a);
    }
  }
  if (drive_c.empty()) return Usage("--drive-c is required");
  if (png.empty()) return Usage("--png is required");
  if (options.filter.size() > 3) return Usage("--filter takes at most 3 characters");
  if (!fs::is_directory(drive_c)) return Usage("--drive-c " + drive_c + " is not a folder");
  std::vector<PanelKey> keys;
  std::string problem;
  if (!ParsePanelKeys(script, &keys, &problem)) return Usage(problem);
  if (ftp && !CheckWharfOptions(&net, &problem)) return Usage(problem);
  options.right = width - 1;
  options.bottom = height - 1;

  // Drive c: is the given folder; drive d: a scratch folder of this run.
  char pattern[] = "/tmp/hostsim-files-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    fprintf(stderr, "hostsim: cannot create a work folder\n");
    return 3;
  }
  fs::path sandbox = pattern;
  struct Cleanup {
    fs::path root;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(root, ec);
    }
  } cleanup{sandbox};
  std::error_code ec;
  fs::create_directory_symlink(fs::absolute(drive_c), sandbox / "c", ec);
  fs::create_directories(sandbox / "d", ec);
  FileServices files(sandbox.string());

  Screen screen(width, height);
  TickClock clock;
  SetDispatchObserver([&clock](uint32_t, int) { clock.Refresh(); });
  FilePanelRunner runner(files, screen, clock.counter(), TickClock::kFrequency);
  runner.graphics().recorder().Enable(false);
  std::string error;
  if (!runner.Load(options, &error)) {
    fprintf(stderr, "hostsim: %s\n", error.c_str());
    return 1;
  }
  WharfSession session;
  if (ftp) {
    if (!session.Open(net, files, 0, 0, 0, &error)) {
      fprintf(stderr, "hostsim: %s\n", error.c_str());
      return 1;
    }
    g_session = &session;
    runner.anvil().FillWharfEntries(session.library());
    runner.anvil().functions()[kHostFnWharfCont] =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&HostWharfCont));
  }

  Messages messages;
  runner.Start();
  runner.Settle();
  messages.Print(runner);
  if (!png_each.empty()) fs::create_directories(png_each, ec);
  for (size_t k = 0; k < keys.size(); ++k) {
    if (keys[k].code != 0) messages.Acknowledge(runner);
    runner.Cont(keys[k]);
    messages.Print(runner);
    runner.Settle();
    messages.Print(runner);
    if (!png_each.empty()) {
      char name[32];
      snprintf(name, sizeof name, "/key_%03zu.png", k + 1);
      if (!screen.WritePng(png_each + name, &error)) {
        fprintf(stderr, "hostsim: %s\n", error.c_str());
        return 3;
      }
    }
  }
  const _DIR_INFO& info = runner.info();
  printf("path %s, cursor on \"%s\"\n", ZorvToUtf8(info.path).c_str(), ZorvToUtf8(info.name).c_str());
  g_session = nullptr;
  if (!screen.WritePng(png, &error)) {
    fprintf(stderr, "hostsim: %s\n", error.c_str());
    return 3;
  }
  return messages.failure ? 1 : 0;
}

CommandRegistration files_command("files", kUsage.c_str(), Files);

}  // namespace
}  // namespace host
