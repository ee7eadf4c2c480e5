// The console's checks on requests (Host, Origin, sandbox paths), its key
// recorder and its operation table, driven directly.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>

#include "host/commands/key_script.h"
#include "host/console/console_json.h"
#include "host/console/console_safety.h"
#include "host/console/key_recorder.h"
#include "host/console/operation.h"
#include "host/runners/can_periph_session.h"
#include "host/runners/dialog_runner.h"
#include "host/runners/can_view_session.h"
#include "host/runners/file_panel_session.h"
#include "host/runners/nc_view_runner.h"
#include "host/runners/path_session.h"
#include "host/runners/plotline_session.h"
#include "host/runners/preprocess_session.h"
#include "host/runners/scope_script.h"
#include "host/runners/table_form_session.h"
#include "host/runners/technol_session.h"
#include "host/runners/transform_session.h"
#include "host/runners/vitals_session.h"
#include "host/services/host_error.h"

namespace fs = std::filesystem;

namespace {

class ConsoleSandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/console-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "box" / "programs");
    std::ofstream(root_ / "box" / "programs" / "p.knf") << "x";
    std::ofstream(root_ / "outside.txt") << "secret";
    fs::create_directory_symlink(root_, root_ / "box" / "escape");
    fs::create_symlink(root_ / "outside.txt", root_ / "box" / "secret.txt");
    box_ = (root_ / "box").string();
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
  std::string box_;
};

TEST_F(ConsoleSandbox, PathsFromThePageStayInside) {
  struct Row {
    std::string path;
    std::string refusal;  // "" when taken
    const char* why;
  };
  const std::vector<Row> rows = {
      {"programs/p.knf", "", "a file inside"},
      {"recordings/new/keys.txt", "", "a file still to be written, its folders too"},
      {"", "no path given", "nothing to resolve"},
      {"/etc/passwd", "an absolute path", "absolute paths leave the sandbox"},
      {"../outside.txt", "\"..\" in the path", "a parent step leaves it"},
      {"programs/../../outside.txt", "\"..\" in the path", "also further in"},
      {"programs/./p.knf", "\".\" in the path", "no dots at all: names are plain"},
      {"c:\\cmos\\x", "a drive", "DOS paths are no sandbox paths"},
      {"c:x", "a drive", "a drive without a backslash"},
      {"programs\\p.knf", "a backslash", "one separator only"},
      {"programs//p.knf", "an empty name", "doubled separators"},
      {"programs/", "an empty name", "a trailing separator"},
      {"pro\ngrams", "a control character", "line ends in a name"},
      {std::string(256, 'a'), "longer than 255 bytes", "a bounded length"},
      {"escape/outside.txt", "leads out of the sandbox", "a folder link pointing out"},
      {"escape/new.txt", "leads out of the sandbox", "a new file behind a link pointing out"},
      {"secret.txt", "leads out of the sandbox", "a file link pointing out"},
  };
  for (const Row& row : rows) {
    std::string resolved = "unchanged";
    const std::string reason = host::SandboxPath(box_, row.path, &resolved);
    if (row.refusal.empty()) {
      EXPECT_EQ(reason, "") << row.why;
      EXPECT_EQ(resolved, box_ + "/" + row.path) << row.why;
    } else {
      EXPECT_NE(reason.find(row.refusal), std::string::npos) << row.why << ": got \"" << reason << "\"";
      EXPECT_EQ(resolved, "unchanged") << row.why;
    }
  }
}

TEST(ConsoleRequests, OnlyTheConsolesOwnHostAndOriginPass) {
  const std::vector<std::string> names = {"127.0.0.1", "localhost", "[::1]"};
  struct Row {
    std::string host, origin;
    bool passes;
    const char* why;
  };
  const std::vector<Row> rows = {
      {"127.0.0.1:8080", "", true, "the page itself, no Origin"},
      {"localhost:8080", "http://localhost:8080", true, "a request the page starts"},
      {"LOCALHOST:8080", "", true, "host names compare without case"},
      {"[::1]:8080", "http://[::1]:8080", true, "IPv6 loopback"},
      {"evil.example:8080", "", false, "a name rebound to 127.0.0.1"},
      {"127.0.0.1.evil.example:8080", "", false, "a name that only starts like the console's"},
      {"127.0.0.1:8081", "", false, "another port"},
      {"127.0.0.1", "", false, "no port"},
      {"", "", false, "no Host at all"},
      {"127.0.0.1:8080", "http://evil.example", false, "another site's page"},
      {"127.0.0.1:8080", "http://evil.example:8080", false, "another site on the same port"},
      {"127.0.0.1:8080", "https://127.0.0.1:8080", false, "another scheme is another origin"},
      {"127.0.0.1:8080", "null", false, "an opaque origin (a file, a sandboxed frame)"},
      {"127.0.0.1:8080", "http://127.0.0.1:8080/x", false, "an origin carries no path"},
  };
  for (const Row& row : rows) {
    const bool passes = host::HostIsConsole(row.host, names, 8080) && host::OriginIsConsole(row.origin, names, 8080);
    EXPECT_EQ(passes, row.passes) << row.why;
  }
  // Listening on every address names no address a browser uses.
  for (const std::string& n : host::ConsoleHostNames("0.0.0.0")) EXPECT_NE(n, "0.0.0.0");
  const std::vector<std::string> v6 = host::ConsoleHostNames("fd00::5");
  EXPECT_NE(std::find(v6.begin(), v6.end(), "[fd00::5]"), v6.end());
}

TEST(ConsoleRecorder, ScriptReplaysTheSameKeysWithTheirPauses) {
  host::KeyRecorder recorder;
  recorder.Begin(1000);
  const std::vector<std::pair<std::string, uint64_t>> pressed = {
      {"enter", 1250}, {"1", 1250}, {"2", 1400}, {"point", 1900}, {"5", 1901}, {"next", 1901 + 700000}, {"X", 1901 + 700010}};
  for (const auto& [word, at] : pressed) recorder.Key(word, at);
  EXPECT_EQ(recorder.keys(), pressed.size());
  const std::string script = recorder.Script({"replay with: hostsim transform-dialog --keys @k.txt"});
  std::vector<host::KeyStep> steps;
  ASSERT_EQ(host::ParseKeyScript(script, host::kDialogKeys, &steps), "") << script;
  // The pauses, a long one split into steps a script allows.
  std::vector<uint32_t> waits;
  for (const host::KeyStep& s : steps)
    if (s.kind == host::KeyStep::kWait) waits.push_back(s.wait_ms);
  EXPECT_EQ(waits, (std::vector<uint32_t>{250, 150, 500, 1, 600000, 100000, 10}));
  // The keys reach the dialog as the same codes the console sent.
  std::vector<uint8_t> codes;
  std::string error;
  ASSERT_TRUE(host::DialogKeyCodes(steps, &codes, &error)) << error;
  EXPECT_EQ(codes, (std::vector<uint8_t>{164, '1', '2', 43, '5', 1, 'X'}));
}

// A screen on a clock of its own reports the wait it applied before each
// key it took, and each frame carries its clock since the last key; the
// script carries those, not the pauses the server saw.
TEST(ConsoleRecorder, TimedScreensRecordTheirOwnWaits) {
  struct Event {
    char kind;       // 'k' key pressed at `value` ms, 't' key taken after `value`,
                     // 'f' frame drawn with `keys` taken, `value` after the last
    uint64_t value;
    size_t keys = 0;
    std::string word = "";
  };
  struct Row {
    std::vector<Event> events;
    std::string script;
    const char* why;
  };
  const std::vector<Row> rows = {
      {{{'k', 1300, 0, "up"}, {'k', 1500, 0, "down"}}, "wait 300\nup\nwait 200\ndown\n",
       "a screen without a clock keeps the wall-clock pauses"},
      {{{'k', 1300, 0, "up"}, {'t', 7}, {'k', 1500, 0, "down"}, {'t', 0}, {'f', 12, 2}},
       "wait 7\nup\ndown\nwait 12\n", "its own waits replace them, the frame's clock ends the script"},
      {{{'f', 40, 0}, {'k', 1300, 0, "up"}, {'t', 65}, {'f', 0, 1}}, "wait 65\nup\n",
       "a frame drawn with the key needs no wait after it"},
      {{{'k', 1300, 0, "up"}, {'t', 5}, {'f', 9, 1}, {'k', 1900, 0, "down"}}, "wait 5\nup\nwait 600\ndown\n",
       "a key not taken yet keeps the server's pause, and the frame before it says nothing of it"},
      {{{'f', 700123, 0}}, "wait 600000\nwait 100123\n", "a screen running with no key, a long wait split"},
      {{{'k', 1300, 0, "up"}, {'t', 3}, {'f', 4, 1}, {'k', 1400, 0, "down"}, {'t', 2}},
       "wait 3\nup\nwait 2\ndown\n", "a key that left the screen as it was: the frame before it ends nothing"},
      {{{'k', 1300, 0, "up"}, {'f', 3, 1}}, "wait 300\nup\n",
       "a frame of a key whose wait has not arrived yet adds no wait"},
  };
  host::KeyRecorder recorder;
  for (const Row& row : rows) {
    recorder.Begin(1000);  // also forgets the row before, timed or not
    for (const Event& e : row.events) {
      if (e.kind == 'k') recorder.Key(e.word, e.value);
      else if (e.kind == 't') recorder.Taken(e.value);
      else recorder.Tail(e.keys, e.value);
    }
    EXPECT_EQ(recorder.Script({}), row.script) << row.why;
  }
}

// Every key of every operation that replays a key script has a word that
// script's table takes back as the same key code. Timed screens hand the
// word itself to their batch command's steps: there it must be one step,
// and its code must name that word only.
TEST(ConsoleRecorder, EveryKeyWordReplaysItsCode) {
  const std::map<std::string, const host::KeyTable*> tables = {
      {"transform-dialog", &host::kDialogKeys}, {"technol", &host::kTechnolKeys}, {"ncview", &host::kNcKeys},
      {"scope", &host::kScopeKeys}, {"canview", &host::kCanViewKeys}, {"vitals-events", &host::kVitalsKeys},
      {"vitals", &host::kVitalsKeys}, {"vitals-keyboard", &host::kVitalsKeys}, {"can-periph", &host::kCanPeriphActions},
      {"files", &host::kFileKeys}, {"table-form", &host::kFormKeys}, {"transform", &host::kTransformKeys},
      {"path", &host::kPathKeys}, {"plotline", &host::kPlotlineKeys}, {"preprocess", &host::kPreprocessKeys}};
  const std::set<std::string> by_word = {"scope", "canview", "vitals-events", "vitals", "vitals-keyboard", "can-periph"};
  // The byte an operation receives for a key step and for a typed one,
  // where it is not the key's code and the character typed.
  using Byte = int (*)(const host::KeyStep&);
  const Byte typed = [](const host::KeyStep& s) { return s.text.size() == 1 ? s.text[0] : -1; };
  struct Bytes {
    Byte key, type;
  };
  const std::map<std::string, Bytes> bytes = {
      // The viewer's keys are all code 1 and tell themselves apart by the
      // character, which is what its operation receives.
      {"ncview", {[](const host::KeyStep& s) { return s.character; }, typed}},
      // The file manager's function keys go as their code, the others as
      // their character; a typed point goes as the dialogs' point.
      {"files",
       {[](const host::KeyStep& s) { return s.code == 1 ? s.character : s.code; },
        [](const host::KeyStep& s) { return s.text == "." ? 0x2B : s.text.size() == 1 ? s.text[0] : -1; }}},
      // The forms' leave key is the console's Escape, whatever the form's own.
      {"table-form",
       {[](const host::KeyStep& s) { return s.code == host::kFormKeyLeave ? int{host::kConsoleFormLeave} : s.code; },
        typed}},
  };
  for (const host::Operation& operation : host::ConsoleOperations()) {
    if (operation.replay_count || operation.replay_option.empty()) continue;
    ASSERT_EQ(tables.count(operation.id), 1u) << operation.id << ": which key table replays it?";
    const auto own = bytes.find(operation.id);
    for (const host::KeyBinding& k : operation.keys) {
      std::vector<host::KeyStep> steps;
      ASSERT_EQ(host::ParseKeyScript(k.word, *tables.at(operation.id), &steps), "") << k.word;
      ASSERT_EQ(steps.size(), 1u) << k.word;
      if (by_word.count(operation.id)) {
        EXPECT_EQ(host::FindKey(operation, k.code)->word, k.word) << operation.id << ": " << k.pc << " shares its code";
        EXPECT_NE(steps[0].kind, host::KeyStep::kWait) << k.word;
        continue;
      }
      const host::KeyStep& step = steps[0];
      const int code = step.kind == host::KeyStep::kKey    ? (own != bytes.end() ? own->second.key(step) : step.code)
                       : step.kind == host::KeyStep::kType ? (own != bytes.end() ? own->second.type(step) : typed(step))
                                                           : -1;
      EXPECT_EQ(code, k.code) << operation.id << ": " << k.pc << " -> " << k.word;
    }
  }
}

// The moving machine's recordings count calls (path graphics) and run
// steps (path view): the same script gives the batch command the keys at
// the calls and between the steps where the console pressed them, and
// a closing wait is where the run stops.
TEST(ConsoleRecorder, MachineWaitsCountCallsAndSteps) {
  struct Row {
    std::string script;
    std::string path;      // "call:code ..." then "| stop", or the refusal
    std::string plotline;  // "after:code ..." then "| stop", or the refusal
  };
  const std::vector<Row> rows = {
      {"", "| 0", "| 0"},
      {"wait 899 zoom-out wait 49 3", "900:2 950:3 | 0", "refused"},
      {"wait 4 2 3 wait 13", "5:2 6:3 | 19", "4:2 4:3 | 17"},
      {"2 wait 0 2", "1:2 2:2 | 0", "0:2 0:2 | 0"},
      {"wait 5", "| 5", "| 5"},
      {"22", "refused", "0:22 | 0"},
      {"wait 3 plane wait 2 wait 600000", "4:4 | 600006", "refused"},
      {"type:1", "refused", "refused"},
  };
  for (const Row& row : rows) {
    std::vector<host::KeyStep> steps;
    std::string error, path, plotline;
    uint64_t stop = 0;
    const bool parsed = host::ParseKeyScript(row.script, host::kPathKeys, &steps).empty();
    std::map<uint64_t, uint8_t> calls;
    if (!parsed || !host::PathKeyCalls(steps, &calls, &stop, &error)) {
      path = "refused";
    } else {
      for (const auto& [call, code] : calls) path += std::to_string(call) + ":" + std::to_string(code) + " ";
      path += "| " + std::to_string(stop);
    }
    EXPECT_EQ(path, row.path) << row.script;
    std::vector<host::PlotlineKey> keys;
    if (!host::ParseKeyScript(row.script, host::kPlotlineKeys, &steps).empty() ||
        !host::PlotlineKeys(steps, &keys, &stop, &error)) {
      plotline = "refused";
    } else {
      for (const host::PlotlineKey& k : keys) plotline += std::to_string(k.after_steps) + ":" + std::to_string(k.code) + " ";
      plotline += "| " + std::to_string(stop);
    }
    EXPECT_EQ(plotline, row.plotline) << row.script;
  }
}

TEST_F(ConsoleSandbox, OptionValuesAreCheckedAndReplayedAsABatchCommand) {
  const host::Operation* view = host::FindOperation("iso-view");
  ASSERT_NE(view, nullptr);
  struct Row {
    std::map<std::string, std::string> given;
    std::string refusal;
    const char* why;
  };
  const std::vector<Row> rows = {
      {{{"PROGRAM", "programs/p.knf"}}, "", "defaults fill the rest"},
      {{{"PROGRAM", "../outside.txt"}}, "program: \"..\"", "files come from the sandbox only"},
      {{{"PROGRAM", "programs"}}, "no file programs", "a folder is no program"},
      {{{"PROGRAM", "programs/p.knf"}, {"--library", "Evil"}}, "library: \"Evil\" is none", "choices only"},
      {{{"PROGRAM", "programs/p.knf"}, {"--delay", "60001"}}, "from 0 to 60000", "ranges"},
      {{{"PROGRAM", "programs/p.knf"}, {"--delay", "-1"}}, "from 0 to 60000", "no sign"},
      {{{"PROGRAM", "programs/p.knf"}, {"--iso", "0"}}, "--iso: no option", "a fixed option is not the page's"},
      {{{"PROGRAM", "programs/p.knf"}, {"--png", "/etc/x"}}, "--png: no option", "options the table lacks"},
      {{{"PROGRAM", "programs/p.knf"}, {"--lang", "256"}}, "language", "a language number"},
  };
  for (const Row& row : rows) {
    host::OptionValues values, shown;
    const std::string reason = host::CheckOptionValues(*view, box_, row.given, 9, &values, &shown);
    if (row.refusal.empty()) EXPECT_EQ(reason, "") << row.why;
    else EXPECT_NE(reason.find(row.refusal), std::string::npos) << row.why << ": got \"" << reason << "\"";
  }
  host::OptionValues values, shown;
  ASSERT_EQ(host::CheckOptionValues(*view, box_, {{"PROGRAM", "programs/p.knf"}, {"--delay", "5"}}, 12, &values, &shown), "");
  EXPECT_EQ(values["PROGRAM"], box_ + "/programs/p.knf");
  EXPECT_EQ(host::BatchCommandLine(*view, shown, "3", "out 1.png"),
            "hostsim view programs/p.knf --library Kerf --size 800x600 --delay 5 --iso --lang 12 --parts 3 --png 'out 1.png'");
  const host::Operation* dialog = host::FindOperation("transform-dialog");
  ASSERT_EQ(host::CheckOptionValues(*dialog, box_, {{"--type", "2"}, {"--active", "1"}}, 9, &values, &shown), "");
  EXPECT_EQ(host::BatchCommandLine(*dialog, shown, "rec/k.txt", "OUT.png"),
            "hostsim transform-dialog --type 2 --active --lang 9 --keys @rec/k.txt --png OUT.png");
  // An operation that takes no keys replays without any.
  const host::Operation* contour = host::FindOperation("showiso");
  ASSERT_EQ(host::CheckOptionValues(*contour, box_, {{"PROGRAM", "programs/p.knf"}, {"--large", "1"}}, 9, &values, &shown), "");
  EXPECT_EQ(host::BatchCommandLine(*contour, shown, "", "OUT.png"),
            "hostsim showiso programs/p.knf --kind 0 --large --axes XY --label left --lang 9 --png OUT.png");
  // A range below zero takes a sign; a fixed screen name goes first.
  const struct {
    const char* operation;
    std::map<std::string, std::string> given;
    std::string replayed;  // "" when refused
  } more[] = {
      {"led", {{"--corr", "-80000000"}}, "hostsim led --corr -80000000 --transform off --lang 9 --png OUT.png"},
      {"led", {{"--corr", "-80000001"}}, ""},
      {"led", {{"--corr", "--8"}}, ""},
      {"led", {{"--corr", "-"}}, ""},
      {"vitals-panel", {{"--calls", "22"}}, "hostsim vitals panel --machine P --calls 22 --lang 9 --png OUT.png"},
      {"vitals-panel", {{"SCREEN", "events"}}, ""},
      {"vitals", {{"SCREEN", "keyboard"}}, ""},
      // A folder of the sandbox, worked on as a copy; a fixed value goes
      // with its option.
      {"files", {{"--drive-c", "programs"}},
       "hostsim files --drive-c programs --mode 1 --size 800x600 --on-copy --lang 9 --keys @ --png OUT.png"},
      {"files", {{"--drive-c", "programs/p.knf"}}, ""},
      {"files", {{"--drive-c", "escape"}}, ""},
      {"transform", {{"--kind", "1"}, {"--odd", "programs/p.knf"}, {"--even", "programs/p.knf"}},
       "hostsim transform --kind 1 --odd programs/p.knf --even programs/p.knf --out nesting.knf --lang 9 --keys @ "
       "--png OUT.png"},
      {"transform", {{"--kind", "1"}, {"--odd", "programs"}}, ""},
      {"table-form", {{"--form", "natvrdo"}, {"--table", "programs/p.knf"}},
       "hostsim table-form --form natvrdo --table programs/p.knf --decimals 3 --axis 0 --machine N --lang 9 --keys @ "
       "--png OUT.png"},
      {"table-form", {{"--form", "natvrdo"}, {"--table", "programs/p.knf"}, {"--axis", "6"}}, ""},
  };
  for (const auto& row : more) {
    const std::string reason = host::CheckOptionValues(*host::FindOperation(row.operation), box_, row.given, 9, &values, &shown);
    EXPECT_EQ(reason.empty(), !row.replayed.empty()) << row.operation << ": " << reason;
    if (reason.empty()) {
      EXPECT_EQ(host::BatchCommandLine(*host::FindOperation(row.operation), shown, "", "OUT.png"), row.replayed);
    }
  }
}

// The file manager's drive c: is a copy that lists as the folder does:
// every file and folder with its time, no link followed out of it.
TEST_F(ConsoleSandbox, FolderCopiedWithItsTimes) {
  fs::create_directories(fs::path(box_) / "programs" / "old" / "deeper");
  std::ofstream(fs::path(box_) / "programs" / "old" / "deeper" / "d.knf") << "deep";
  const auto then = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  const std::vector<std::string> entries = {"programs/old/deeper/d.knf", "programs/old/deeper", "programs/old",
                                            "programs/p.knf", "programs"};
  int minutes = 0;
  for (const std::string& e : entries) fs::last_write_time(fs::path(box_) / e, then + std::chrono::minutes(++minutes));
  const fs::path copy = root_ / "copy";
  host::CopyFolderWithTimes(box_, copy.string());
  for (const std::string& e : entries) {
    EXPECT_EQ(fs::is_directory(copy / e), fs::is_directory(fs::path(box_) / e)) << e;
    EXPECT_EQ(fs::last_write_time(copy / e), fs::last_write_time(fs::path(box_) / e)) << e;
  }
  std::ifstream deep(copy / "programs" / "old" / "deeper" / "d.knf");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(deep), {}), "deep");
  EXPECT_FALSE(fs::exists(fs::symlink_status(copy / "escape"))) << "a link to outside the folder";
  EXPECT_FALSE(fs::exists(fs::symlink_status(copy / "secret.txt")));
  EXPECT_THROW(host::CopyFolderWithTimes(box_, copy.string()), host::HostError) << "onto a folder that exists";
  EXPECT_THROW(host::CopyFolderWithTimes(box_ + "/programs/p.knf", (root_ / "c2").string()), host::HostError);
}

TEST(ConsoleJson, TextsReachThePageIntact) {
  struct Row {
    std::string text, json;
  };
  const std::vector<Row> rows = {
      {"plain", "\"plain\""},
      {"a \"b\" \\ c", "\"a \\\"b\\\" \\\\ c\""},
      {"line\nend\t", "\"line\\u000aend\\u0009\""},
      {"P\xC5\x99\xC3\xADklad", "\"P\xC5\x99\xC3\xADklad\""},  // UTF-8 passes
      {"\xFF\xC5", "\"\\ufffd\\ufffd\""},                       // no UTF-8: replaced
      {"\xE2\x82", "\"\\ufffd\\ufffd\""},                       // cut short
  };
  for (const Row& row : rows) EXPECT_EQ(host::JsonString(row.text), row.json);
}

}  // namespace
