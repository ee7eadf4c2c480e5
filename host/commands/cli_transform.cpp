// hostsim transform --kind K --field NAME=VALUE ... --odd A.knf [--even B.knf]
//                   --out OUT.knf [--png OUT.png] [--dialog-png D.png]
//   opens the contour transformation dialog of the real library and works
//   it with the host's key codes as an operator would: each field is
//   reached with the "next" key (the highlighted value box on the screen
//   tells where the selection is), cleared, typed, and at the end Enter is
//   pressed on OK. The written program is then drawn with the program view.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "host/commands/command.h"
#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "host/services/loader.h"
#include "host/screen/screen.h"
#include "host/services/tick_clock.h"
#include "host/runners/view_runner.h"
#include "kerf/transform.h"

namespace host {
namespace {

const char* const kUsage =
    "--kind 0|1|2 --field NAME=VALUE ... --odd A.knf [--even B.knf] --out OUT.knf\n"
    "        [--png OUT.png] [--dialog-png DIALOG.png] [--library Kerf|Anvil] [--lang N] [--quiet]\n"
    "  NAME: n, angle, angle-even, nx, ny, x-shift, y-shift, pair-shift,\n"
    "        even-y-shift, row-shift (values in degrees and mm), shorter (yes|no)";

int Usage() {
  fprintf(stderr, "usage: hostsim transform %s\n", kUsage);
  return 2;
}

// Screen rows of the dialog's places as the host lays the dialog out:
// fields from row 0, OK two rows below the last field, Cancel below OK.
int Row(int kind, uint8_t slot) {
  static const std::vector<uint8_t> kLayouts[3] = {
      {kSlotSegments, kSlotAngle, kSlotAngleEven, kSlotSegmentsX, kSlotXShift, kSlotYShift,
       kSlotPairShift, kSlotEvenYShift, kSlotRowShift, kSlotShorter},
      {kSlotSegmentsX, kSlotSegmentsY, kSlotXShift, kSlotEvenYShift, kSlotAngle, kSlotAngleEven},
      {kSlotSegmentsX, kSlotSegmentsY, kSlotXShift, kSlotEvenYShift, kSlotAngle}};
  const std::vector<uint8_t>& layout = kLayouts[kind];
  int fields = static_cast<int>(layout.size());
  if (slot == kSlotOk) return fields + 1;
  if (slot == kSlotCancel) return fields + 2;
  for (int i = 0; i < fields; ++i)
    if (layout[static_cast<size_t>(i)] == slot) return i;
  return -1;
}

// The place a field name stands for in each kind (kinds 1 and 2 keep their
// "Y Shift" in kind 0's "Shift of even in Y-axis").
uint8_t SlotOfName(const std::string& name, int kind) {
  static const std::map<std::string, uint8_t> kNames = {
      {"n", kSlotSegments},         {"angle", kSlotAngle},         {"angle-even", kSlotAngleEven},
      {"nx", kSlotSegmentsX},       {"ny", kSlotSegmentsY},        {"x-shift", kSlotXShift},
      {"y-shift", kSlotYShift},     {"pair-shift", kSlotPairShift}, {"even-y-shift", kSlotEvenYShift},
      {"row-shift", kSlotRowShift}, {"shorter", kSlotShorter}};
  auto it = kNames.find(name);
  if (it == kNames.end()) return kSlotNone;
  uint8_t slot = it->second;
  if (kind != 0 && slot == kSlotYShift) slot = kSlotEvenYShift;
  if (Row(kind, slot) < 0) return kSlotNone;
  return slot;
}

using TransformFn = uint32_t (*)(TRANSFORM_INFO*);

class Operator {
 public:
  Operator(Screen& screen, TRANSFORM_INFO& info, TransformFn cont, int kind)
      : screen_(screen), info_(info), cont_(cont), kind_(kind) {}

  uint32_t Press(uint8_t key) {
    info_.event = 1;
    info_.key = static_cast<int8_t>(key);
    ++presses_;
    return cont_(&info_);
  }

  // The highlighted value box: the selected one is drawn on colour 0, the
  // others on colour 7.
  bool Highlighted(uint8_t slot) const {
    int row = Row(kind_, slot);
    if (row < 0) return false;
    int x = info_.left + 220, y = info_.top + 40 + 20 * row;
    int dark = 0, light = 0;
    for (int dy = 0; dy < 16; ++dy)
      for (int dx = 0; dx < 80; ++dx) {
        uint8_t p = screen_.Pixel(x + dx, y + dy);
        if (p == 0) ++dark;
        else if (p == 7) ++light;
      }
    return dark > light;
  }

  // Presses "next" until the slot is highlighted; false when the dialog
  // never gets there (the field does not apply with the values typed).
  bool Reach(uint8_t slot) {
    for (int i = 0; i < 16; ++i) {
      if (Highlighted(slot)) return true;
      Press(kKeyNext);
    }
    return Highlighted(slot);
  }

  // Clears the field and types the value: digits and the point as typed,
  // then the sign key for a negative value.
  void Type(const std::string& value) {
    for (size_t i = 0; i < kFieldTextMax + 1; ++i) Press(kKeyDelete);
    bool negative = false;
    for (char c : value) {
      if (c == '-') negative = true;
      else if (c == '.') Press(kKeyPoint);
      else if (c >= '0' && c <= '9') Press(static_cast<uint8_t>(c));
    }
    if (negative) Press(kKeySign);
  }

  int presses() const { return presses_; }

 private:
  Screen& screen_;
  TRANSFORM_INFO& info_;
  TransformFn cont_;
  int kind_;
  int presses_ = 0;
};

bool ValidValue(const std::string& v) {
  if (v.empty()) return true;
  size_t points = 0, i = v[0] == '-' ? 1 : 0;
  if (i == v.size()) return false;
  for (; i < v.size(); ++i) {
    if (v[i] == '.') ++points;
    else if (v[i] < '0' || v[i] > '9') return false;
  }
  return points <= 1 && v.size() <= kFieldTextMax;
}

int Transform(const std::vector<std::string>& args) {
  int kind = -1;
  std::string odd, even, out, png, dialog_png, library = "Kerf";
  uint32_t language = 9;
  bool quiet = false;
  std::vector<std::pair<uint8_t, std::string>> fields;
  std::vector<std::pair<std::string, std::string>> named;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto next = [&]() -> std::string { return i + 1 < args.size() ? args[++i] : std::string(); };
    if (a == "--kind") kind = atoi(next().c_str());
    else if (a == "--field") {
      std::string f = next();
      size_t eq = f.find('=');
      if (eq == std::string::npos) return Usage();
      named.emplace_back(f.substr(0, eq), f.substr(eq + 1));
    } else if (a == "--odd") odd = next();
    else if (a == "--even") even = next();
    else if (a == "--out") out = next();
    else if (a == "--png") png = next();
    else if (a == "--dialog-png") dialog_png = next();
    else if (a == "--library") library = next();
    else if (a == "--lang") language = static_cast<uint32_t>(atoi(next().c_str()));
    else if (a == "--quiet") quiet = true;
    else return Usage();
  }
  if (kind < 0 || kind > 2 || odd.empty() || out.empty()) return Usage();
  if (even.empty()) even = odd;
  bool shorter = false;
  for (auto& [name, value] : named) {
    uint8_t slot = SlotOfName(name, kind);
    if (slot == kSlotNone) {
      fprintf(stderr, "hostsim: kind %d has no field \"%s\"\n", kind, name.c_str());
      return 2;
    }
    if (slot == kSlotShorter) {
      if (value != "yes" && value != "no") return Usage();
      shorter = value == "yes";
    } else if (!ValidValue(value)) {
      fprintf(stderr, "hostsim: %s: \"%s\" is not a number the dialog takes\n", name.c_str(),
              value.c_str());
      return 2;
    }
    fields.emplace_back(slot, value);
  }
  for (const std::string& p : {odd, even}) {
    if (!std::filesystem::exists(p)) {
      fprintf(stderr, "hostsim: %s: no such file\n", p.c_str());
      return 1;
    }
  }
  // Fields go in the dialog's screen order, so a value that opens other
  // fields (N, the even-row shift) is typed before them.
  std::sort(fields.begin(), fields.end(), [&](const auto& x, const auto& y) {
    return Row(kind, x.first) < Row(kind, y.first);
  });

  char pattern[] = "/tmp/hostsim-transform-XXXXXX";
  std::string sandbox = mkdtemp(pattern);
  std::filesystem::create_directories(sandbox + "/c/programs");
  std::filesystem::create_directories(sandbox + "/c/cmos");
  std::filesystem::copy_file(odd, sandbox + "/c/programs/odd.knf");
  std::filesystem::copy_file(even, sandbox + "/c/programs/even.knf");
  bool same = std::filesystem::equivalent(odd, even);
  std::string odd_dos = "c:\\programs\\odd.knf";
  std::string even_dos = same ? odd_dos : "c:\\programs\\even.knf";
  std::string out_dos = "c:\\programs\\nesting.knf";
  auto cleanup = [&]() { std::filesystem::remove_all(sandbox); };

  FileServices files(sandbox);
  Screen screen(800, 600);
  int status = 1;
  {
    GraphicsServices graphics(screen);
    Library lib;
    std::string error;
    if (!lib.Open(LibraryPath(library), &error)) {
      fprintf(stderr, "hostsim: %s\n", error.c_str());
      cleanup();
      return 1;
    }
    auto fsp_init = lib.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
    auto gdi_init = lib.Bind<int (*)(const GDI_INIT_PARAMS*)>("GDIInit");
    auto loc_init = lib.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
    auto start = lib.Bind<TransformFn>("TransformStart");
    auto cont = lib.Bind<TransformFn>("TransformCont");
    auto stop = lib.Bind<TransformFn>("TransformStop");
    if (!fsp_init || !gdi_init || !loc_init || !start || !cont || !stop) {
      fprintf(stderr, "hostsim: %s lacks the transformation exports\n", library.c_str());
      cleanup();
      return 1;
    }
    fsp_init(&files.table());
    gdi_init(&graphics.table());
    loc_init(nullptr, language);
    const char* sources[2] = {odd_dos.c_str(), even_dos.c_str()};
    TRANSFORM_INFO info{};
    info.sources = sources;
    info.output = out_dos.c_str();
    info.left = 150;
    info.top = 100;
    info.right = 649;
    info.bottom = 419;
    info.kind = static_cast<uint8_t>(kind);
    start(&info);
    Operator op(screen, info, cont, kind);
    for (auto& [slot, value] : fields) {
      if (!op.Reach(slot)) {
        fprintf(stderr, "hostsim: the dialog passes over that field with these values\n");
        cleanup();
        return 1;
      }
      if (slot == kSlotShorter) {
        if (shorter) op.Press(kKeyToggleA);
      } else {
        op.Type(value);
      }
    }
    if (!op.Reach(kSlotOk)) {
      fprintf(stderr, "hostsim: OK cannot be reached\n");
      cleanup();
      return 1;
    }
    uint32_t result = op.Press(kKeyEnter);
    stop(&info);
    if (!dialog_png.empty() && !screen.WritePng(dialog_png, &error))
      fprintf(stderr, "hostsim: %s\n", error.c_str());
    if (result != 2) {
      fprintf(stderr, "hostsim: the transformation failed (TransformCont returned %u)\n", result);
      cleanup();
      return 1;
    }
    if (!quiet) printf("%s: written after %d key presses\n", out.c_str(), op.presses());
    status = 0;
  }
  std::filesystem::copy_file(files.Resolve(out_dos), out,
                             std::filesystem::copy_options::overwrite_existing);

  if (!png.empty()) {
    Screen view_screen(800, 600);
    TickClock clock;
    ViewRunner runner(files, view_screen, clock.counter(), TickClock::kFrequency);
    ViewOptions options;
    options.library = library;
    options.program_dos_path = out_dos;
    options.language = language;
    std::string error;
    if (!runner.Load(options, &error)) {
      fprintf(stderr, "hostsim: %s\n", error.c_str());
      cleanup();
      return 1;
    }
    ViewRun run = runner.RunToEnd();
    runner.Stop();
    if (run.last_result != 2 || !view_screen.WritePng(png, &error)) {
      fprintf(stderr, "hostsim: the view of the output failed %s\n", error.c_str());
      status = 1;
    }
  }
  cleanup();
  return status;
}

CommandRegistration transform_command("transform", kUsage, Transform);

}  // namespace
}  // namespace host
