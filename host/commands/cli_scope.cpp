// hostsim scope --png OUT.png [options]
//   runs the real signal scope (libGlint) over a sample ring the simulator
//   fills from generated signals or a CSV recording, drives it with a key
//   script and writes the screen, with the host's soft-key bar, as PNG.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/commands/command.h"
#include "host/runners/scope_script.h"
#include "host/runners/scope_session.h"
#include "host/services/sandbox_folder.h"
#include "host/commands/file_args.h"

namespace host {
namespace {

namespace fs = std::filesystem;

struct Options {
  ScopeHostOptions host;
  uint32_t rows = 6000;
  int64_t trigger_row = -1;
  SignalShape signals[kGlintChannels];
  bool any_signal = false;
  bool type_given[kGlintChannels] = {};
};

// A whole number within [low, high].
bool Whole(const std::string& text, long long low, long long high, long long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long long v = strtoll(text.c_str(), &end, 0);
  if (*end != '\0' || v < low || v > high) return false;
  *value = v;
  return true;
}

Options TakeOptions(const ParsedArgs& args) {
  Options o;
  o.host.layout = args.Text("--layout")[0];
  o.host.ring_length = static_cast<uint32_t>(args.Int("--ring"));
  o.rows = static_cast<uint32_t>(args.Int("--rows"));
  if (args.Has("--trigger")) o.trigger_row = args.Int("--trigger");
  o.host.sweep_restart = args.Has("--sweep");
  o.host.trigger_wait = args.Has("--trigger-wait");
  for (const std::string& v : args.All("--signal")) {
    int k = 0;
    SignalShape shape;
    std::string error;
    if (!ParseSignalOption(v, &k, &shape, &error)) throw UsageError(error);
    o.signals[k] = shape;
    o.any_signal = true;
  }
  if (args.Has("--digital")) {
    std::stringstream list(args.Text("--digital"));
    std::string item;
    long long n = 0;
    while (std::getline(list, item, ',')) {
      if (!Whole(item, 0, 9, &n)) throw UsageError("--digital: channels 0 to 9, comma-separated");
      o.host.descriptor_bytes[n] = 1;
      o.type_given[n] = true;
    }
  }
  for (const std::string& v : args.All("--type")) {
    size_t eq = v.find('=');
    long long n = 0, byte = 0;
    if (eq == std::string::npos || !Whole(v.substr(0, eq), 0, 9, &n) ||
        !Whole(v.substr(eq + 1), 0, 255, &byte))
      throw UsageError("--type " + v + ": K=BYTE, channel 0 to 9, descriptor byte 0 to 255 "
                       "(0, 9, 0x99 analog; others digital)");
    o.host.descriptor_bytes[n] = static_cast<uint8_t>(byte);
    o.type_given[n] = true;
  }
  if (args.Has("--csv") && o.any_signal) throw UsageError("--csv and --signal exclude each other");
  return o;
}

int Scope(const ParsedArgs& args) {
  Options o = TakeOptions(args);
  std::string png = args.Text("--png"), csv = args.Text("--csv");
  std::string settings_dir = args.Text("--settings-dir"), export_path = args.Text("--export");
  bool quiet = args.Has("--quiet");
  const std::vector<KeyStep>& steps = args.Keys("--keys");

  ScopeSettings settings;
  settings.language = static_cast<uint32_t>(args.Int("--lang"));
  if (args.Has("--run")) settings.run_ms = args.Int("--run");
  settings.host = o.host;
  std::string error;
  if (!csv.empty()) {
    std::string text = ReadInputFile(csv, 1u << 30);
    if (!ParseCsvRecording(text, &settings.recording, &error)) throw UsageError(csv + ": " + error);
  } else {
    if (!o.any_signal) DefaultScopeSignals(o.signals);
    UseGeneratedSignals(o.signals, o.rows, o.trigger_row, o.type_given, &settings);
  }

  // The library's files live in a sandbox it reaches as drive C.
  SandboxFolder folder("scope");
  std::string sandbox = folder.root();
  folder.MakeDir("c/glint");
  std::error_code ec;
  std::string settings_file = settings_dir.empty() ? "" : settings_dir + "/GlnSet.sys";
  if (!settings_file.empty() && fs::exists(settings_file))
    CopyFromInput(settings_file, sandbox + "/c/glint/GlnSet.sys");

  int status = 0;
  {
    ScopeSession session(sandbox);
    auto write_png = [&](const std::string& path) {
      std::string why;
      if (!session.Picture().WritePng(path, &why)) {
        fprintf(stderr, "hostsim scope: %s\n", why.c_str());
        return false;
      }
      return true;
    };

    if (!session.Open(settings, &error)) {
      fprintf(stderr, "hostsim scope: %s\n", error.c_str());
      status = 3;
    } else {
      for (const KeyStep& step : steps) {
        if (step.kind == KeyStep::kAction && step.text == "png") {
          if (!write_png(step.argument)) status = 3;
        } else {
          session.Step(step);
        }
      }
      ScopeRunner& runner = session.runner();
      if (status == 0 && !write_png(png)) status = 3;
      if (status == 0 && !quiet) {
        printf("%s: %s, %u rows in the ring, %u DATA_GLINT calls, %llu ms\n", png.c_str(),
               runner.record().running ? "running" : "stopped",
               (runner.record().next + o.host.ring_length - runner.record().oldest) % o.host.ring_length,
               runner.data_calls(), static_cast<unsigned long long>(runner.elapsed_ms()));
      }
    }
  }

  // Files the library wrote go back out.
  bool exported = false, saved_asked = false, export_asked = false;
  for (const KeyStep& step : steps) {
    if (step.kind != KeyStep::kKey) continue;
    saved_asked |= step.code == kKeySave || step.code == kKeySaveToo;
    export_asked |= step.code == kKeyExport;
  }
  std::string export_in_box = sandbox + "/c/glint/scope.txt";
  if (!export_path.empty() && fs::exists(export_in_box)) {
    fs::copy_file(export_in_box, export_path, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      fprintf(stderr, "hostsim scope: %s: %s\n", export_path.c_str(), ec.message().c_str());
      status = 3;
    }
    exported = !ec;
  }
  if (status == 0 && export_asked && !export_path.empty() && !exported) {
    fprintf(stderr, "hostsim scope: the export was not written (\"Export failed\")\n");
    status = 1;
  }
  std::string saved = sandbox + "/c/glint/GlnSet.sys";
  if (!settings_file.empty() && saved_asked) {
    if (!fs::exists(saved)) {
      fprintf(stderr, "hostsim scope: the settings were not saved\n");
      if (status == 0) status = 1;
    } else {
      fs::create_directories(settings_dir, ec);
      fs::copy_file(saved, settings_file, fs::copy_options::overwrite_existing, ec);
      if (ec) {
        fprintf(stderr, "hostsim scope: %s: %s\n", settings_file.c_str(), ec.message().c_str());
        status = 3;
      }
    }
  }
  return status;
}

std::string LayoutCheck(const std::string& v) {
  return v.size() == 1 ? "" : "one letter";
}

CommandRegistration scope_command({"scope",
    "the signal scope (libGlint) over a simulated sample ring, driven by soft keys", {
    Text("--png", "FILE", "the picture to write (with the host's soft-key bar)").Required(),
    Text("--layout", "LETTER", "region: C whole area, L left half, P right half (others keep the last)", "C")
        .Checked(LayoutCheck, "one letter"),
    Int("--ring", 1, 2000000, "10000", "ring length in rows (holds one row fewer)"),
    Int("--rows", 1, 10000000, "6000", "rows of generated signals (one a millisecond)"),
    Text("--signal", "K=KIND:ARGS", "channel K: sine:AMP:PERIOD_MS, square:AMP:PERIOD_MS, "
         "ramp:AMP:PERIOD_MS, noise:AMP, pulse:PERIOD_MS:WIDTH_MS (digital), const:VALUE").Repeatable(),
    Int("--trigger", 0, 10000000, "", "row at which the trigger byte rises (and stays up)"),
    Text("--csv", "FILE", "a recording: up to ten integer columns and a trigger column"),
    Text("--digital", "K,K...", "channels with a digital descriptor"),
    Text("--type", "K=BYTE", "descriptor byte of channel K (0, 9, 0x99 analog)").Repeatable(),
    Int("--run", 0, 3600000, "", "record for MS simulated milliseconds (DATA_GLINT every 20 ms)"),
    Flag("--sweep", "a running sweep starts again at the right edge"),
    Flag("--trigger-wait", "while running, wait for the trigger row"),
    KeysOption("--keys", kScopeKeys, "keys and host steps, one DATA_GLINT call per key"),
    Text("--settings-dir", "DIR", "folder of GlnSet.sys (read, and written back on save)"),
    Text("--export", "FILE", "where the export (key export) is copied"),
    LanguageOption(),
    Flag("--quiet", "print nothing on success"),
}, Scope});

}  // namespace
}  // namespace host
