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
#include "host/commands/file_args.h"
#include "host/commands/output_watch.h"
#include "host/services/sandbox_folder.h"
#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "host/services/loader.h"
#include "host/screen/screen.h"
#include "host/services/tick_clock.h"
#include "host/runners/view_runner.h"
#include "kerf/transform.h"

namespace host {
namespace {

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

int Transform(const ParsedArgs& args) {
  int kind = static_cast<int>(args.Int("--kind"));
  std::string odd = args.Text("--odd"), even = args.Text("--even"), out = args.Text("--out");
  std::string png = args.Text("--png"), dialog_png = args.Text("--dialog-png"), library = args.Text("--library");
  uint32_t language = static_cast<uint32_t>(args.Int("--lang"));
  bool quiet = args.Has("--quiet");
  std::vector<std::pair<uint8_t, std::string>> fields;
  if (even.empty()) even = odd;
  bool shorter = false;
  for (const std::string& field : args.All("--field")) {
    size_t eq = field.find('=');
    std::string name = field.substr(0, eq), value = field.substr(eq + 1);
    uint8_t slot = SlotOfName(name, kind);
    if (slot == kSlotNone) throw UsageError("--field: kind " + std::to_string(kind) + " has no field \"" + name + "\"");
    if (slot == kSlotShorter) {
      if (value != "yes" && value != "no") throw UsageError("--field shorter: expected yes or no");
      shorter = value == "yes";
    } else if (!ValidValue(value)) {
      throw UsageError("--field " + name + ": \"" + value + "\" is not a number the dialog takes (at most " +
                       std::to_string(kFieldTextMax) + " characters: digits, one point, a leading minus)");
    }
    fields.emplace_back(slot, value);
  }
  RequireReadableFile(odd);
  RequireReadableFile(even);
  // Fields go in the dialog's screen order, so a value that opens other
  // fields (N, the even-row shift) is typed before them.
  std::sort(fields.begin(), fields.end(), [&](const auto& x, const auto& y) {
    return Row(kind, x.first) < Row(kind, y.first);
  });

  SandboxFolder sandbox("transform");
  std::string programs = sandbox.MakeDir("c/programs");
  sandbox.MakeDir("c/cmos");
  CopyFromInput(odd, programs + "/odd.knf");
  CopyFromInput(even, programs + "/even.knf");
  std::error_code same_error;
  bool same = std::filesystem::equivalent(odd, even, same_error);
  std::string odd_dos = "c:\\programs\\odd.knf";
  std::string even_dos = same ? odd_dos : "c:\\programs\\even.knf";
  std::string out_dos = "c:\\programs\\nesting.knf";
  FileServices files(sandbox.root());
  Screen screen(800, 600);
  int presses = 0;
  {
    OutputWatch watch(files, "hostsim transform", args.Bytes("--max-output"), quiet);
    GraphicsServices graphics(screen);
    Library lib;
    std::string error;
    if (!lib.Open(LibraryPath(library), &error)) throw HostError(error);
    auto fsp_init = lib.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
    auto gdi_init = lib.Bind<int (*)(const GDI_INIT_PARAMS*)>("GDIInit");
    auto loc_init = lib.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
    auto start = lib.Bind<TransformFn>("TransformStart");
    auto cont = lib.Bind<TransformFn>("TransformCont");
    auto stop = lib.Bind<TransformFn>("TransformStop");
    if (!fsp_init || !gdi_init || !loc_init || !start || !cont || !stop)
      return LibraryFailure(library + " lacks the transformation exports");
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
      if (!op.Reach(slot)) return LibraryFailure("the dialog passes over that field with these values");
      if (slot == kSlotShorter) {
        if (shorter) op.Press(kKeyToggleA);
      } else {
        op.Type(value);
      }
    }
    if (!op.Reach(kSlotOk)) return LibraryFailure("OK cannot be reached");
    uint32_t result = op.Press(kKeyEnter);
    stop(&info);
    watch.ThrowIfLimitReached();
    if (!dialog_png.empty() && !screen.WritePng(dialog_png, &error)) throw HostError(error);
    if (result != 2)
      return LibraryFailure("the transformation failed (TransformCont returned " + std::to_string(result) + ")");
    presses = op.presses();
  }
  CopyToOutput(files.Resolve(out_dos), out);

  // The written program is drawn by the program view (into --png when
  // given): an output that draws nothing is no success.
  Screen view_screen(800, 600);
  TickClock clock;
  ViewRunner runner(files, view_screen, clock.counter(), TickClock::kFrequency);
  runner.WatchTexts();
  ViewOptions options;
  options.library = library;
  options.program_dos_path = out_dos;
  options.language = language;
  std::string error;
  if (!runner.Load(options, &error)) throw HostError(error);
  ViewRun run = runner.RunToEnd();
  runner.Stop();
  if (!png.empty() && !view_screen.WritePng(png, &error)) throw HostError(error);
  std::string failure = runner.FailureText();
  if (run.last_result != 2) return LibraryFailure("the view of the output did not finish");
  if (!failure.empty()) return LibraryFailure("the written program cannot be drawn: " + failure);
  if (runner.InfoLineText() == "0x0") return LibraryFailure("the written program draws nothing (is the contour empty?)");
  if (!quiet) printf("%s: written after %d key presses\n", out.c_str(), presses);
  return kExitOk;
}

std::string FieldAssignment(const std::string& value) {
  size_t eq = value.find('=');
  return eq != std::string::npos && eq > 0 ? "" : "expected NAME=VALUE";
}

CommandRegistration transform_command({"transform",
    "works the contour transformation dialog with the operator's keys and writes the nested program", {
    Choice("--kind", {"0", "1", "2"}, "", "transformation kind and the fields it takes: 0 rotation array "
           "with pairs (n, angle, angle-even, nx, x-shift, y-shift, pair-shift, even-y-shift, row-shift, "
           "shorter); 1 matrix, or one pair with two angles (nx, ny, x-shift, y-shift, angle, angle-even); "
           "2 matrix with one angle (nx, ny, x-shift, y-shift, angle)").Required(),
    Text("--field", "NAME=VALUE", "a dialog field typed by the operator (degrees and mm; shorter: yes|no)")
        .Repeatable().Checked(FieldAssignment, "NAME=VALUE"),
    Text("--odd", "FILE", "the contour of the odd copies (Kerf program)").Required(),
    Text("--even", "FILE", "the contour of the even copies (default: the odd one)"),
    Text("--out", "FILE", "the nested program to write").Required(),
    Text("--png", "FILE", "also draw the written program with the program view"),
    Text("--dialog-png", "FILE", "the dialog as it stood when OK was pressed"),
    Choice("--library", {"Kerf", "Anvil"}, "Kerf", "the library whose dialog runs"),
    LanguageOption(),
    MaxOutputOption(),
    Flag("--quiet", "print nothing on success"),
}, Transform});

}  // namespace
}  // namespace host
