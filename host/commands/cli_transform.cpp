// hostsim transform --kind K --field NAME=VALUE ... --odd A.knf [--even B.knf]
//                   --out OUT.knf [--png OUT.png] [--dialog-png D.png]
//   opens the contour transformation dialog of the real library and works
//   it with the host's key codes as an operator would: each field is
//   reached with the "next" key (the highlighted value box on the screen
//   tells where the selection is), cleared, typed, and at the end Enter is
//   pressed on OK; or (--keys) the operator's own keys are pressed as they
//   stand. The written program is then drawn with the program view.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/commands/output_watch.h"
#include "host/runners/transform_session.h"
#include "host/services/sandbox_folder.h"
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

class Operator {
 public:
  Operator(TransformSession& session, int kind) : session_(session), screen_(session.screen()), info_(session.info()), kind_(kind) {}

  uint32_t Press(uint8_t key) { return session_.Press(key); }

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

  int presses() const { return session_.presses(); }

 private:
  TransformSession& session_;
  Screen& screen_;
  TRANSFORM_INFO& info_;
  int kind_;
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
  // Or the operator's own keys, as they were pressed.
  const bool keyed = args.Has("--keys");
  if (keyed && !fields.empty()) throw UsageError("--keys and --field: the keys work the dialog, or the fields do");
  std::vector<uint8_t> keys;
  for (const KeyStep& step : args.Keys("--keys")) {
    if (step.kind == KeyStep::kKey) keys.push_back(static_cast<uint8_t>(step.code));
    if (step.kind != KeyStep::kType) continue;  // pauses: the dialog does nothing by itself
    for (char c : step.text) {
      const int key = TransformTypedKey(c);
      if (key < 0) throw UsageError("--keys " + step.token + ": '" + std::string(1, c) + "' is no key of the dialog");
      keys.push_back(static_cast<uint8_t>(key));
    }
  }
  RequireReadableFile(odd);
  RequireReadableFile(even);
  // Fields go in the dialog's screen order, so a value that opens other
  // fields (N, the even-row shift) is typed before them.
  std::sort(fields.begin(), fields.end(), [&](const auto& x, const auto& y) {
    return Row(kind, x.first) < Row(kind, y.first);
  });

  SandboxFolder sandbox("transform");
  TransformSession session(sandbox.root());
  TransformSettings settings;
  settings.library = library;
  settings.language = language;
  settings.kind = kind;
  settings.odd = odd;
  settings.even = even;
  std::string error;
  bool library_failure = false;
  if (!session.Load(settings, &error, &library_failure)) {
    if (library_failure) return LibraryFailure(error);
    throw HostError(error);
  }
  uint32_t result = 1;
  {
    OutputWatch watch(session.files(), "hostsim transform", args.Bytes("--max-output"), quiet);
    session.Start();
    if (keyed) {
      // The operator's keys as they stand; the dialog may stay open.
      for (uint8_t key : keys)
        if ((result = session.Press(key)) == 2) break;
    } else {
      Operator op(session, kind);
      for (auto& [slot, value] : fields) {
        if (!op.Reach(slot)) return LibraryFailure("the dialog passes over that field with these values");
        if (slot == kSlotShorter) {
          if (shorter) op.Press(kKeyToggleA);
        } else {
          op.Type(value);
        }
      }
      if (!op.Reach(kSlotOk)) return LibraryFailure("OK cannot be reached");
      result = op.Press(kKeyEnter);
    }
    if (result == 2) session.Stop();
    watch.ThrowIfLimitReached();
  }
  if (!dialog_png.empty() && !session.screen().WritePng(dialog_png, &error)) throw HostError(error);
  const std::string written = session.OutputPath();
  if (keyed && (result != 2 || written.empty())) {
    // The dialog still open (or cancelled): the picture is the dialog.
    if (!png.empty() && !session.screen().WritePng(png, &error)) throw HostError(error);
    if (!quiet) printf("%s after %d key presses\n", result == 2 ? "cancelled" : "the dialog is open", session.presses());
    return result == 5 ? LibraryFailure("the transformation failed (TransformCont returned 5)") : kExitOk;
  }
  if (result != 2 || written.empty())
    return LibraryFailure("the transformation failed (TransformCont returned " + std::to_string(result) + ")");
  CopyToOutput(written, out);

  // The written program is drawn by the program view (into --png when
  // given): an output that draws nothing is no success.
  const TransformView view = session.DrawOutput();
  if (!png.empty() && !session.view_screen().WritePng(png, &error)) throw HostError(error);
  if (!view.finished) return LibraryFailure("the view of the output did not finish");
  if (!view.failure.empty()) return LibraryFailure("the written program cannot be drawn: " + view.failure);
  if (view.extent == "0x0") return LibraryFailure("the written program draws nothing (is the contour empty?)");
  if (!quiet) printf("%s: written after %d key presses\n", out.c_str(), session.presses());
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
    KeysOption("--keys", kTransformKeys, "the operator's keys instead of --field, one TransformCont each; "
               "digits typed ('.' the point, '-' the sign); --png shows the dialog while it stays open"),
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
