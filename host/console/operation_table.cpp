// The console's operations: one row each. The keys of a screen are listed
// once here; the page shows this table and maps the PC keys by it.
#include <ctype.h>
#include <sys/stat.h>

#include "host/console/console_safety.h"
#include "host/console/operation.h"
#include "vitals/keyboard_maps.h"

namespace host {
namespace {

const std::vector<OperationOption> kViewOptions = {
    {"PROGRAM", "program", OperationOption::kFile, "", {}, 0, 0},
    {"--library", "library", OperationOption::kChoice, "Kerf", {"Kerf", "Anvil"}, 0, 0},
    {"--size", "screen", OperationOption::kChoice, "800x600", {"800x600", "640x480", "1024x768"}, 0, 0},
    {"--delay", "start delay (ms)", OperationOption::kNumber, "0", {}, 0, 60000},
};
const std::vector<KeyBinding> kViewKeys = {
    {" ", "next part", "part", 1},
    {"ArrowRight", "next part", "part", 1},
};

std::vector<OperationOption> With(std::vector<OperationOption> options, const OperationOption& more) {
  options.push_back(more);
  return options;
}

// The dialog's keys (kDialogKeys), then the digits and axis letters it types.
std::vector<KeyBinding> DialogKeys() {
  std::vector<KeyBinding> keys = {
      {"ArrowDown", "next field", "next", 1}, {"Tab", "next field", "next", 1},
      {"ArrowUp", "previous field", "prev", 2}, {"ArrowRight", "right", "right", 14},
      {"ArrowLeft", "left", "left", 12},        {"Enter", "enter", "enter", 164},
      {".", "point", "point", 43},              {",", "point", "point", 43},
      {"-", "sign", "sign", 63},                {"Delete", "clear", "clear", 46},
      {"Backspace", "clear", "clear", 46},
  };
  for (char c = '0'; c <= '9'; ++c) keys.push_back({std::string(1, c), std::string(1, c), std::string(1, c), c});
  for (char c : std::string("XYZUVW")) {
    const std::string lower(1, static_cast<char>(tolower(c)));
    keys.push_back({lower, std::string(1, c), std::string(1, c), c});
  }
  return keys;
}

// The technology screens' keys (kTechnolKeys); digits are typed.
std::vector<KeyBinding> TechnolKeys() {
  std::vector<KeyBinding> keys = {
      {"ArrowDown", "next", "next", 1},     {"Tab", "next", "next", 1},   {"Enter", "next", "next", 1},
      {"ArrowUp", "previous", "previous", 2}, {".", "point", "point", 43}, {",", "point", "point", 43},
      {"-", "sign", "sign", 63},            {"Delete", "clear", "clear", 46}, {"Backspace", "clear", "clear", 46},
      {"ArrowLeft", "left", "left", 12},    {"ArrowRight", "right", "right", 14},
  };
  for (char c = '0'; c <= '9'; ++c) keys.push_back({std::string(1, c), std::string(1, c), std::string(1, c), c});
  return keys;
}

// The scope's soft keys of the main bar on F1 to F10 (the host's run and
// stop for "Memory ON"), the time-shift and scale bars' keys on arrows,
// page keys and signs. The operation replays the words; the codes only
// tell the keys apart.
const std::vector<KeyBinding> kScopeConsoleKeys = {
    {"F1", "Memory ON", "run", 1},        {"Escape", "Memory OFF", "stop", 2},
    {"F2", "Save settings", "save", 5},   {"F3", "Clear", "clear", 3},
    {"F5", "Select channel", "select", 11}, {"F6", "Mark channel", "mark", 12},
    {"F7", "Show channel", "show", 13},   {"F8", "Scale AUTO", "auto", 14},
    {"F10", "Export data", "export", 30}, {"ArrowLeft", "Shift back", "back", 24},
    {"ArrowRight", "Shift forward", "forward", 25}, {"PageDown", "Time base -", "tb-", 22},
    {"PageUp", "Time base +", "tb+", 23}, {"-", "Scale -", "scale-", 20},
    {"+", "Scale +", "scale+", 21},
};
// libVitals' screens, Anvil's CAN peripherals and libMosaic's LED window.
const OperationOption kVitalsLayout = {
    "--layout", "layout (C whole, L left half, P right half)", OperationOption::kChoice, "C", {"C", "L", "P"}, 0, 0};

// The keyboard test holds the panel's key of the same label: "1" is key 0,
// "A" key 10 (the first keys of every panel type); the later keys, whose
// labels repeat, by their buttons.
std::vector<KeyBinding> KeyboardTestKeys() {
  std::vector<KeyBinding> keys;
  for (int k = 0; k < kKeyLabelCount; ++k) {
    const std::string label(1, kKeyLabels[k]);
    keys.push_back({label, label, std::to_string(k), k});
    if (isupper(static_cast<unsigned char>(kKeyLabels[k])))
      keys.push_back({std::string(1, static_cast<char>(tolower(kKeyLabels[k]))), label, std::to_string(k), k});
  }
  // The keys past the labels' first round: on-screen buttons only.
  for (int k = kKeyLabelCount; k < kMaxKeys; ++k)
    keys.push_back({"", std::string(1, kKeyLabels[k % kKeyLabelCount]) + " (" + std::to_string(k) + ")",
                    std::to_string(k), k});
  return keys;
}

// The peripheral screen's actions and the SDO dialog's keys; digits are
// typed into the dialog. The operation replays the words; the codes (the
// dialog's key byte, actions from 128 on) only tell the keys apart.
std::vector<KeyBinding> CanPeriphKeys() {
  std::vector<KeyBinding> keys = {
      {"t", "next type", "type", 128 + 2},   {"n", "next node", "node", 128 + 3},
      {"Enter", "send", "send", 128 + 5},    {"ArrowDown", "next field", "next", 1},
      {"Tab", "next field", "next", 1},                       {"ArrowUp", "previous field", "previous", 2},
      {"-", "sign", "sign", 63},                              {"Delete", "clear", "clear", 46},
      {"Backspace", "clear", "clear", 46},
  };
  for (char c = '0'; c <= '9'; ++c) keys.push_back({std::string(1, c), std::string(1, c), std::string(1, c), c});
  return keys;
}

// The CAN monitor's keys: cursor keys, Insert for swap mode, the soft
// keys on F1 to F7, and the digits and hex letters its dialogs type.
std::vector<KeyBinding> CanViewKeys() {
  std::vector<KeyBinding> keys = {
      {"ArrowUp", "up", "up", 1},          {"ArrowDown", "down", "down", 3},   {"PageDown", "page down", "pgdn", 2},
      {"PageUp", "page up", "pgup", 4},    {"Home", "first line", "home", 6},  {"End", "last line", "end", 8},
      {"Insert", "swap mode", "swap", 32}, {"Delete", "delete", "delete", 46}, {"Enter", "enter / resend", "enter", 255},
      {"F1", "other pane", "pane", 200},   {"F2", "New packet", "new", 201},   {"F3", "Settings", "settings", 202},
      {"F4", "record", "record", 203},     {"F5", "stop recording", "stop", 204}, {"F6", "open channel", "open", 205},
      {"F7", "close channel", "close", 206},
  };
  for (char c : std::string("0123456789ABCDEF")) {
    const std::string key(1, static_cast<char>(tolower(c)));
    keys.push_back({key, std::string(1, c), "type:" + std::string(1, c), c});
  }
  return keys;
}

// The file manager's keys: the console sends the function keys (codes 20
// to 27) as their code and every other key as its character (code 1, see
// PanelKeyOfByte); letters and digits are typed into the panel's dialogs.
std::vector<KeyBinding> FileKeys() {
  std::vector<KeyBinding> keys = {
      {"ArrowUp", "up", "up", 1},         {"ArrowDown", "down", "down", 3},   {"Tab", "next", "down", 3},
      {"PageDown", "page down", "pgdn", 2}, {"PageUp", "page up", "pgup", 4},   {"Home", "first", "home", 6},
      {"End", "last", "end", 8},          {"Enter", "enter", "enter", 255},   {"Backspace", "erase", "erase", 0x2E},
      {"Insert", "mark", "mark", 24},     {"F7", "mark all", "markall", 25},  {"Delete", "delete", "delete", 23},
      {"F2", "sort", "sort", 20},         {"F3", "names", "names", 22},       {"F4", "new directory", "newdir", 21},
      {"F5", "remember", "clip", 26},     {"F6", "paste", "paste", 27},       {".", "point", "type:.", 0x2B},
  };
  for (char c = '0'; c <= '9'; ++c) keys.push_back({std::string(1, c), std::string(1, c), "type:" + std::string(1, c), c});
  for (char c = 'A'; c <= 'Z'; ++c) {
    const std::string upper(1, c), lower(1, static_cast<char>(tolower(c)));
    keys.push_back({lower, upper, "type:" + upper, c});
    keys.push_back({upper, upper, "type:" + upper, c});
  }
  return keys;
}

// The correction and offset forms' keys (kFormKeys): Escape stands for
// the open form's own leave key; digits and axis letters are typed.
std::vector<KeyBinding> FormKeys() {
  std::vector<KeyBinding> keys = {
      {"ArrowDown", "down", "down", 1},   {"ArrowUp", "up", "up", 2},       {"ArrowLeft", "left", "left", 12},
      {"ArrowRight", "right", "right", 14}, {"Enter", "enter", "enter", 164}, {"-", "sign", "sign", 63},
      {"Escape", "leave", "leave", 27},
  };
  for (char c = '0'; c <= '9'; ++c) keys.push_back({std::string(1, c), std::string(1, c), std::string(1, c), c});
  for (char c : std::string("XYZUVW")) {
    const std::string lower(1, static_cast<char>(tolower(c)));
    keys.push_back({lower, std::string(1, c), std::string(1, c), c});
  }
  return keys;
}

// The contour transformation's keys (kTransformKeys); digits are typed.
std::vector<KeyBinding> TransformKeys() {
  std::vector<KeyBinding> keys = {
      {"ArrowDown", "next", "next", 3},      {"Tab", "next", "next", 3},          {"ArrowUp", "previous", "previous", 1},
      {"ArrowLeft", "left", "left", 2},      {"ArrowRight", "right", "right", 4}, {"Enter", "enter", "enter", 255},
      {".", "point", "point", 0x2B},         {",", "point", "point", 0x2B},       {"-", "sign", "sign", 0x3F},
      {"Backspace", "clear", "clear", 0x2E}, {"Delete", "clear", "clear", 0x2E},
  };
  for (char c = '0'; c <= '9'; ++c) keys.push_back({std::string(1, c), std::string(1, c), std::string(1, c), c});
  return keys;
}

// The preprocessor's input keys (kPreprocessKeys); digits are typed.
std::vector<KeyBinding> PreprocessKeys() {
  std::vector<KeyBinding> keys = {
      {"Enter", "enter", "enter", 255},       {".", "point", "point", 43},       {",", "point", "point", 43},
      {"-", "sign", "sign", 63},              {"Backspace", "delete", "delete", 46}, {"Delete", "delete", "delete", 46},
  };
  for (char c = '0'; c <= '9'; ++c) keys.push_back({std::string(1, c), std::string(1, c), std::string(1, c), c});
  return keys;
}

// The path view's keys: its own key codes, which are the script's words.
std::vector<KeyBinding> PlotlineKeys() {
  const struct {
    const char* pc;
    const char* label;
    int code;
  } keys[] = {
      {"p", "plan", 2},          {"a", "axonometry", 3},     {"v", "perspective", 4},   {"f", "fit", 5},
      {"o", "next orientation", 7}, {"ArrowRight", "turn +", 10}, {"ArrowLeft", "turn -", 11},
      {"ArrowDown", "tilt -", 12}, {"ArrowUp", "tilt +", 13}, {"Home", "first angles", 14}, {"+", "zoom in", 15},
      {"-", "zoom out", 16},     {"z", "whole program", 17}, {"6", "pan +x", 18},      {"4", "pan -x", 19},
      {"2", "pan -y", 20},       {"8", "pan +y", 21},       {"t", "follow the tool", 22}, {"r", "radius path", 23},
      {"d", "length path", 24},  {"e", "speed", 25},        {"b", "block by block", 26}, {"n", "all blocks", 27},
      {"Enter", "next blocks", 28}, {"h", "hold", 29},       {"g", "go on", 30},        {"]", "more per step", 31},
      {"[", "fewer per step", 32}, {"c", "fit and centre", 33}, {"s", "sheet", 34},    {"w", "working area", 35},
      {"PageUp", "nearer", 92},  {"PageDown", "farther", 93},
  };
  std::vector<KeyBinding> bindings;
  for (const auto& k : keys) bindings.push_back({k.pc, k.label, std::to_string(k.code), k.code});
  return bindings;
}

const std::vector<Operation> kOperations = {
    {"view", "Program view (Kerf format)", "view", kViewOptions, kViewKeys, "--parts", true},
    {"iso-view", "ISO program view", "view", With(kViewOptions, {"--iso", "", OperationOption::kFixed, "", {}, 0, 0}),
     kViewKeys, "--parts", true},
    {"transform-dialog", "Transformation dialog (Tracer)", "transform-dialog",
     {{"--type", "transformation type", OperationOption::kChoice, "1", {"1", "2", "3"}, 0, 0},
      {"--active", "already active", OperationOption::kFlag, "", {}, 0, 0}},
     DialogKeys(), "--keys", false},
    {"technol", "Technology screen (Tracer)", "technol",
     {{"FILE", "description", OperationOption::kFile, "technology.txt", {}, 0, 0},
      {"--screen", "screen number", OperationOption::kNumber, "1", {}, 0, 255}},
     TechnolKeys(), "--keys", false},
    {"showiso", "ISO program contour view (Tracer)", "showiso",
     {{"PROGRAM", "ISO program", OperationOption::kFile, "iso_bracket_g90.nc", {}, 0, 0},
      {"--kind", "display kind", OperationOption::kChoice, "0", {"0", "1", "2", "10", "11"}, 0, 0},
      {"--large", "large layout (800x600)", OperationOption::kFlag, "", {}, 0, 0},
      {"--axes", "axes", OperationOption::kChoice, "XY", {"XY", "XZ", "YZ", "ZX"}, 0, 0},
      {"--label", "label", OperationOption::kChoice, "left", {"left", "right"}, 0, 0}},
     {}, "", false},
    {"ncview", "NC program viewer (Anvil)", "ncview",
     {{"PROGRAM", "ISO program", OperationOption::kFile, "iso_ncview_frame.nc", {}, 0, 0},
      {"--size", "screen", OperationOption::kChoice, "800x600", {"800x600", "640x480", "1024x768"}, 0, 0},
      {"--plain", "colouring off", OperationOption::kFlag, "", {}, 0, 0}},
     {{"ArrowUp", "line up", "up", 1}, {"ArrowDown", "line down", "down", 3}, {"ArrowRight", "text left", "right", 2},
      {"ArrowLeft", "text right", "left", 4}, {"Home", "start", "home", 6}, {"PageUp", "page up", "pgup", 7},
      {"End", "last page", "end", 8}, {"PageDown", "page down", "pgdn", 9}},
     "--keys", false},
    // Timed screens: their waits are the operation's own clock.
    {"scope", "Signal scope (Glint)", "scope",
     {{"--layout", "region", OperationOption::kChoice, "C", {"C", "L", "P"}, 0, 0},
      {"--rows", "generated rows", OperationOption::kNumber, "6000", {}, 1, 100000},
      {"--ring", "ring rows", OperationOption::kNumber, "10000", {}, 2, 200000},
      {"--sweep", "sweep restarts", OperationOption::kFlag, "", {}, 0, 0},
      {"--trigger-wait", "wait for the trigger", OperationOption::kFlag, "", {}, 0, 0}},
     kScopeConsoleKeys, "--keys", false},
    {"canview", "CAN bus monitor (Anvil)", "canview",
     {{"--log", "candump log (channel 1)", OperationOption::kFile, "can_bus.log", {}, 0, 0},
      {"--size", "screen", OperationOption::kChoice, "800x600", {"800x600", "640x480", "1024x768"}, 0, 0},
      {"--fast", "no pacing", OperationOption::kFlag, "", {}, 0, 0},
      {"--mailbox-delay", "mailbox delay (ms)", OperationOption::kNumber, "2", {}, 0, 10000},
      {"--for", "", OperationOption::kFixed, "0", {}, 0, 0}},
     CanViewKeys(), "--keys", false},
    {"vitals-panel", "System-information panel (libVitals)", "vitals",
     {{"SCREEN", "", OperationOption::kFixed, "panel", {}, 0, 0},
      {"--machine", "machine type", OperationOption::kChoice, "P", {"P", "F"}, 0, 0},
      {"--variant", "second-spindle variant", OperationOption::kFlag, "", {}, 0, 0},
      {"--calls", "DATA_VITALS calls", OperationOption::kNumber, "400", {}, 0, 100000}},
     {}, "", false},
    {"vitals-events", "Event log (libVitals)", "vitals",
     {{"SCREEN", "", OperationOption::kFixed, "events", {}, 0, 0},
      {"--ring", "event ring", OperationOption::kFile, "events.txt", {}, 0, 0},
      {"--wrapped", "the ring has gone round", OperationOption::kFlag, "", {}, 0, 0},
      {"--critical", "write the critical events first", OperationOption::kFlag, "", {}, 0, 0}, kVitalsLayout},
     {{"Enter", "START / STOP", "live", 1}, {"PageDown", "page forward", "forward", 2},
      {"PageUp", "page back", "back", 3}, {"f", "next filter", "filter", 4}, {"e", "write EVENTS.TXT", "export", 5}},
     "--keys", false},
    {"vitals", "Diagnostics screens (libVitals)", "vitals",
     {{"SCREEN", "screen", OperationOption::kChoice, "inputs",
       {"inputs", "outputs", "iopan", "dgnpan", "pb1", "pb2", "bz1", "bz2", "leds", "slm", "servo", "ecc", "trans",
        "nkor", "su4"}, 0, 0},
      kVitalsLayout,
      {"--leds", "LED byte (leds)", OperationOption::kNumber, "90", {}, 0, 255},
      {"--labelled", "labelled LED strip (leds)", OperationOption::kFlag, "", {}, 0, 0}},
     {{" ", "call without a key", "0", 0}, {"ArrowDown", "next channel (slm)", "1", 1},
      {"Tab", "other parameter set (slm)", "2", 2}},
     "--keys", false},
    {"vitals-keyboard", "Keyboard test (libVitals)", "vitals",
     {{"SCREEN", "", OperationOption::kFixed, "keyboard", {}, 0, 0},
      {"--type", "keyboard type", OperationOption::kChoice, "D", {"D", "F", "G", "H", "M", "R"}, 0, 0}, kVitalsLayout},
     KeyboardTestKeys(), "--keys", false},
    {"can-periph", "CAN peripherals (Anvil)", "can-periph",
     {{"--layout", "layout (C whole, L left half, P right half)", OperationOption::kChoice, "C", {"C", "L", "P"}, 0, 0},
      {"--nodes", "modules,keyboards", OperationOption::kChoice, "3,2", {"3,2", "1,1", "8,4", "0,0"}, 0, 0}},
     CanPeriphKeys(), "--actions", false},
    {"led", "LED status window (libMosaic)", "led",
     {{"--corr", "second height correction (1/8 um)", OperationOption::kNumber, "0", {}, -80000000, 80000000},
      {"--transform", "transformation", OperationOption::kChoice, "off", {"off", "A", "B"}, 0, 0}},
     {}, "", false},
    {"files", "File manager (Anvil)", "files",
     {{"--drive-c", "folder as drive c: (a copy)", OperationOption::kFolder, "tracer", {}, 0, 0},
      {"--mode", "panel mode", OperationOption::kChoice, "1", {"1", "6", "0"}, 0, 0},
      {"--size", "screen", OperationOption::kChoice, "800x600", {"800x600", "640x480", "1024x768"}, 0, 0},
      {"--on-copy", "", OperationOption::kFixed, "", {}, 0, 0}},
     FileKeys(), "--keys", false},
    {"transform", "Contour transformation (Kerf)", "transform",
     {{"--kind", "kind", OperationOption::kChoice, "0", {"0", "1", "2"}, 0, 0},
      {"--odd", "odd contour", OperationOption::kFile, "nest_part.knf", {}, 0, 0},
      {"--even", "even contour", OperationOption::kFile, "nest_part.knf", {}, 0, 0},
      {"--out", "", OperationOption::kFixed, "nesting.knf", {}, 0, 0}},
     TransformKeys(), "--keys", false},
    {"table-form", "Correction and offset forms (Tracer)", "table-form",
     {{"--form", "form", OperationOption::kChoice, "inkor",
       {"inkor", "inkor2", "inkor3", "inposun", "zapis", "fix", "natvrdo"}, 0, 0},
      {"--table", "table", OperationOption::kFile, "tracer/korekce.tab", {}, 0, 0},
      {"--decimals", "decimals", OperationOption::kChoice, "3", {"3", "4", "5"}, 0, 0},
      {"--axis", "axis", OperationOption::kChoice, "0", {"0", "1", "2", "3", "4", "5", "255"}, 0, 0},
      {"--machine", "machine type", OperationOption::kChoice, "N", {"N", "S", "K"}, 0, 0}},
     FormKeys(), "--keys", false},
    // The machine moving: path graphics, path view, preprocessor, drawing-layer cards.
    {"path", "Path graphics while the machine runs (Tracer)", "path",
     {{"PROGRAM", "ISO program", OperationOption::kFile, "iso_bracket_g90.nc", {}, 0, 0},
      {"--layout", "drawing area", OperationOption::kChoice, "full", {"full", "right", "left"}, 0, 0},
      {"--zoom", "zoom index", OperationOption::kNumber, "8", {}, 0, 12},
      {"--origin", "origin position", OperationOption::kNumber, "0", {}, 0, 8},
      {"--tool-radius", "tool radius (mm)", OperationOption::kChoice, "2", {"0", "1", "2", "5", "10"}, 0, 0},
      {"--trail", "trail colour", OperationOption::kChoice, "0", {"0", "1", "2"}, 0, 0},
      {"--feed", "feed per call (mm)", OperationOption::kChoice, "1", {"0.5", "1", "2", "4"}, 0, 0}},
     {{"o", "origin", "origin", 1}, {"Home", "origin", "origin", 1}, {"-", "zoom out", "zoom-out", 2},
      {"PageDown", "zoom out", "zoom-out", 2}, {"+", "zoom in", "zoom-in", 3}, {"PageUp", "zoom in", "zoom-in", 3},
      {"p", "plane", "plane", 4}, {"s", "snapshot", "snapshot", 5}},
     "--keys", false},
    {"plotline", "Path view while the machine runs (Plotline)", "plotline",
     {{"PROGRAM", "ISO program", OperationOption::kFile, "plotline/flange_plate.nc", {}, 0, 0},
      {"--machine", "machine description", OperationOption::kFile, "plotline/plain.machine", {}, 0, 0},
      {"--view", "view", OperationOption::kChoice, "plan", {"plan", "axo", "persp"}, 0, 0},
      {"--orientation", "plan orientation", OperationOption::kChoice, "0", {"0", "1", "2"}, 0, 0},
      {"--size", "screen", OperationOption::kChoice, "800x600", {"800x600", "640x480", "1024x768"}, 0, 0},
      {"--frames", "steps of the run", OperationOption::kNumber, "40", {}, 1, 1000},
      {"--follow", "", OperationOption::kFixed, "", {}, 0, 0}},
     PlotlineKeys(), "--keys", false},
    {"preprocess", "Preprocessor: a parametric program translated (Norvik)", "preprocess",
     {{"SOURCE", "parametric program", OperationOption::kFile, "norvik/sized.prg", {}, 0, 0},
      {"--size", "screen", OperationOption::kChoice, "800x600", {"800x600", "640x480", "1024x768"}, 0, 0},
      {"--skip-slash", "drop lines starting with /", OperationOption::kFlag, "", {}, 0, 0},
      {"--out", "", OperationOption::kFixed, "translated.nc", {}, 0, 0}},
     PreprocessKeys(), "--keys", false},
    {"pens-demo", "Drawing layer: patterns, text boxes, 3D pens, arcs", "pens-demo", {}, {}, "", false, false},
    {"display-test", "Display block test card", "display-test",
     {{"--style", "text style", OperationOption::kChoice, "screen", {"screen", "form"}, 0, 0}}, {}, "", false, false},
    {"screen-test", "Graphics services test card", "screen-test",
     {{"--size", "screen", OperationOption::kChoice, "1024x768", {"1024x768", "800x600", "640x480"}, 0, 0}}, {}, "",
     false, false},
};

// Digits, with a leading minus where the range holds negative numbers.
bool WholeNumber(const std::string& text, int min, int max, int* value) {
  const bool negative = min < 0 && !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 9) return false;
  for (char c : digits)
    if (!isdigit(static_cast<unsigned char>(c))) return false;
  *value = negative ? -std::stoi(digits) : std::stoi(digits);
  return *value >= min && *value <= max;
}

std::string Quoted(const std::string& word) {
  if (word.empty()) return "''";
  for (char c : word)
    if (!isalnum(static_cast<unsigned char>(c)) && std::string("-_./@:,=").find(c) == std::string::npos) {
      std::string quoted = "'";
      for (char q : word) quoted += q == '\'' ? std::string("'\\''") : std::string(1, q);
      return quoted + "'";
    }
  return word;
}

}  // namespace

const std::vector<Operation>& ConsoleOperations() { return kOperations; }

const Operation* FindOperation(const std::string& id) {
  for (const Operation& o : kOperations)
    if (o.id == id) return &o;
  return nullptr;
}

const KeyBinding* FindKey(const Operation& operation, int code) {
  for (const KeyBinding& k : operation.keys)
    if (k.code == code) return &k;
  return nullptr;
}

std::string CheckOptionValues(const Operation& operation, const std::string& sandbox,
                              const std::map<std::string, std::string>& given, uint32_t language,
                              OptionValues* values, OptionValues* shown) {
  values->clear();
  shown->clear();
  for (const auto& [name, value] : given) {
    bool known = name == "--lang";
    for (const OperationOption& o : operation.options) known = known || (o.name == name && o.kind != OperationOption::kFixed);
    if (!known) return name + ": no option of " + operation.id;
  }
  for (const OperationOption& o : operation.options) {
    auto it = given.find(o.name);
    const std::string value = it != given.end() && o.kind != OperationOption::kFixed ? it->second : o.default_value;
    int number = 0;
    std::string resolved;
    switch (o.kind) {
      case OperationOption::kFile:
      case OperationOption::kFolder: {
        const std::string reason = SandboxPath(sandbox, value, &resolved);
        if (!reason.empty()) return o.label + ": " + reason;
        struct stat st {};
        const bool folder = o.kind == OperationOption::kFolder;
        if (stat(resolved.c_str(), &st) != 0 || (folder ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)))
          return o.label + ": no " + (folder ? "folder " : "file ") + value + " in the sandbox";
        (*values)[o.name] = resolved;
        (*shown)[o.name] = value;
        continue;
      }
      case OperationOption::kChoice: {
        bool ok = false;
        for (const std::string& c : o.choices) ok = ok || c == value;
        if (!ok) return o.label + ": \"" + value + "\" is none of the choices";
        break;
      }
      case OperationOption::kNumber:
        if (!WholeNumber(value, o.min, o.max, &number))
          return o.label + ": expected a whole number from " + std::to_string(o.min) + " to " + std::to_string(o.max);
        break;
      case OperationOption::kFlag:
        if (value != "" && value != "0" && value != "1") return o.label + ": expected on or off";
        if (value != "1") continue;
        (*values)[o.name] = (*shown)[o.name] = "";
        continue;
      case OperationOption::kFixed:
        break;
    }
    (*values)[o.name] = (*shown)[o.name] = value;
  }
  int lang = static_cast<int>(language);
  auto it = given.find("--lang");
  if (it != given.end() && !WholeNumber(it->second, 0, 255, &lang)) return "language: expected a number from 0 to 255";
  (*values)["--lang"] = (*shown)["--lang"] = std::to_string(lang);
  return "";
}

std::string BatchCommandLine(const Operation& operation, const OptionValues& shown, const std::string& replay,
                             const std::string& png) {
  std::string line = "hostsim " + operation.command;
  for (const OperationOption& o : operation.options) {
    auto it = shown.find(o.name);
    if (it == shown.end()) continue;
    if (o.name[0] != '-') line += " " + Quoted(it->second);
    else if (o.kind == OperationOption::kFlag || (o.kind == OperationOption::kFixed && it->second.empty()))
      line += " " + o.name;
    else line += " " + o.name + " " + Quoted(it->second);
  }
  auto lang = shown.find("--lang");
  if (lang != shown.end() && operation.takes_language) line += " --lang " + lang->second;
  if (!operation.replay_option.empty())
    line += " " + operation.replay_option + " " + Quoted(operation.replay_count ? replay : "@" + replay);
  return line + " --png " + Quoted(png);
}

}  // namespace host
