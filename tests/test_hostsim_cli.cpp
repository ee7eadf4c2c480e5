// hostsim as scripts see it: each row is a command line, the exit status it
// must end with and a fragment of what it prints. Every row runs with its
// own TMPDIR, which must be empty afterwards (no sandbox left behind).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "gtest/gtest.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Row {
  // "@" in an argument stands for the work folder, "%" for the row's number.
  std::vector<std::string> args;
  int status;
  std::string fragment;           // expected in stdout + stderr
  std::string tmpdir = "";        // TMPDIR for the run ("" = a fresh empty folder)
  std::string stdout_path = "";   // where stdout goes ("" = with stderr, into the output)
  std::string absent = "";        // a file that must not exist afterwards ("@", "%" as in args)
};

struct Result {
  int status = -1;
  std::string output;
  bool sandbox_left = false;
  bool absent_exists = false;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class HostsimCli : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/hostsim-cli-test-XXXXXX";
    work_ = mkdtemp(pattern);
    fs::create_directories(work_ + "/folder");
    std::ofstream(work_ + "/empty.knf");
    std::ofstream(work_ + "/long.knf") << std::string(100000, '1') << "\n";
    std::ofstream(work_ + "/nan.knf") << "[START]\n5\n+NaN+500\n6\n+55+0\n";
    std::ofstream(work_ + "/huge.knf") << "[START]\n5\n+1e999+500\n6\n+55+0\n";
    std::ofstream(work_ + "/no_percent.nc") << "N10 G21 G90\nN20 G0 X20 Y0\nN30 G1 X180 F2000\n";
    std::ofstream(work_ + "/keys.txt") << "down\n";
    std::ofstream(work_ + "/events.txt") << "07:02:40 A1203 8 !Torch collision\n07:03:00 B1 1 fine\n";
    std::ofstream(work_ + "/bad_events.txt") << "# a ring\n07:02:40 A1203 8 ok\n7:02 A1 8 short time\n";
    mkfifo((work_ + "/fifo").c_str(), 0600);
  }
  void TearDown() override { fs::remove_all(work_); }

  // `n` numbers the row's own output file and TMPDIR.
  std::string Expand(std::string a, size_t n) const {
    for (size_t at; (at = a.find('@')) != std::string::npos;) a.replace(at, 1, work_);
    for (size_t at; (at = a.find('%')) != std::string::npos;) a.replace(at, 1, std::to_string(n));
    return a;
  }

  // Starts the row's process; its output goes to OutputPath(n).
  pid_t Spawn(const Row& row, size_t n) {
    std::vector<std::string> args = {HOSTSIM};
    for (const std::string& a : row.args) args.push_back(Expand(a, n));
    std::string tmpdir = TmpDir(row, n);
    if (row.tmpdir.empty()) fs::create_directories(tmpdir);
    std::vector<std::string> env = {"TMPDIR=" + tmpdir, "HOSTSIM_LIB_DIR=" TEST_LIB_DIR, "PATH=/usr/bin:/bin"};
    // The sanitizers' and the emulator's settings go on to the child: a
    // sanitizer build of hostsim started by the emulator without its address
    // space limit spins in its start-up instead of running.
    for (char** e = environ; *e; ++e) {
      std::string_view v(*e);
      if (v.starts_with("QEMU_") || v.starts_with("ASAN_OPTIONS=") ||
          v.starts_with("UBSAN_OPTIONS=") || v.starts_with("LSAN_OPTIONS="))
        env.emplace_back(v);
    }
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string out = OutputPath(n);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (row.stdout_path.empty()) posix_spawn_file_actions_adddup2(&actions, 2, 1);
    else posix_spawn_file_actions_addopen(&actions, 1, row.stdout_path.c_str(), O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
  }

  // What the ended process (its wait status) left behind.
  Result Finish(const Row& row, size_t n, int wait_status) {
    Result result;
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
    result.output = Slurp(OutputPath(n));
    result.sandbox_left = row.tmpdir.empty() && !fs::is_empty(TmpDir(row, n));
    result.absent_exists = !row.absent.empty() && fs::exists(Expand(row.absent, n));
    return result;
  }

  Result Run(const Row& row, size_t n) {
    pid_t pid = Spawn(row, n);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return Result{};
    return Finish(row, n, status);
  }

  std::string TmpDir(const Row& row, size_t n) const {
    return row.tmpdir.empty() ? work_ + "/tmp" + std::to_string(n) : row.tmpdir;
  }
  std::string OutputPath(size_t n) const { return work_ + "/output" + std::to_string(n) + ".txt"; }

  std::string work_;
};

const std::string kFlange = TEST_SOURCE_DIR "/examples/flange.knf";
const std::string kIso = TEST_SOURCE_DIR "/examples/iso_bracket_g90.nc";

TEST_F(HostsimCli, ExitStatusAndMessagePerCommandLine) {
  const std::vector<Row> rows = {
      // The command line itself.
      {{}, 2, "commands:"},
      {{"nope"}, 2, "unknown command \"nope\""},
      {{"help"}, 0, "view "},
      {{"help", "nope"}, 2, "help takes a command name"},
      {{"view", "--help"}, 0, "--png FILE"},
      // The console checks its options before it becomes a server.
      {{"console", "--sandbox", "/no/such/folder"}, 2, "--sandbox /no/such/folder: no such folder"},
      {{"console", "--listen", "evil.example"}, 2, "--listen \"evil.example\": expected an IP address"},
      {{"console", "--port", "65536"}, 2, "from 0 to 65535"},
      {{"transform", "-h"}, 0, "2 matrix with one angle"},
      {{"view", kFlange}, 2, "--png is required"},
      {{"view", "--png", "@/x%.png"}, 2, "PROGRAM is missing"},
      {{"view", kFlange, kFlange, "--png", "@/x%.png"}, 2, "unexpected argument"},
      {{"view", kFlange, "--png"}, 2, "--png needs a value"},
      {{"view", kFlange, "--png", "@/x%.png", "--png", "@/y.png"}, 2, "--png is given twice"},
      {{"view", kFlange, "--png=@/x%.png", "--quiet=1"}, 2, "--quiet takes no value"},
      {{"pens-demo", "--png", "@/x%.png", "--bogus"}, 2, "unknown option --bogus"},
      // Values out of range or meaningless, named with what is allowed.
      {{"view", kFlange, "--png", "@/x%.png", "--size", "100000x100000"}, 2, "each side 1 to 4096"},
      {{"view", kFlange, "--png", "@/x%.png", "--size", "0x0"}, 2, "--size \"0x0\""},
      {{"view", kFlange, "--png", "@/x%.png", "--size", "-5x-5"}, 2, "WIDTHxHEIGHT"},
      {{"screen-test", "--png", "@/x%.png", "--size", "5000x10"}, 2, "each side 1 to 4096"},
      {{"view", kFlange, "--png", "@/x%.png", "--delay", "-1"}, 2, "from 0 to 60000"},
      {{"view", kFlange, "--png", "@/x%.png", "--orientation", "Q"}, 2, "one of <, F, plain"},
      {{"view", kIso, "--iso", "--png", "@/x%.png", "--axes", "QQ"}, 2, "two different capital letters"},
      {{"view", kFlange, "--png", "@/x%.png", "--axes", "XZ"}, 2, "--axes applies to ISO programs"},
      {{"view", kFlange, "--png", "@/x%.png", "--window", "10,10,5,5"}, 2, "left < right"},
      {{"view", kFlange, "--png", "@/x%.png", "--window", "1,2,3"}, 2, "4 whole numbers"},
      {{"view", kFlange, "--png", "@/x%.png", "--lang", "abc"}, 2, "one of 5, 7, 9, 12"},
      {{"view", kFlange, "--png", "@/x%.png", "--parts", "-1"}, 2, "from 0 to 100000"},
      {{"view", kFlange, "--png", "@/x%.png", "--copy", "@/a%.knf"}, 2, "--copy needs --parts"},
      {{"transform", "--kind", "2", "--odd", kFlange, "--out", "@/o%.knf", "--lang", "99"}, 2, "--lang \"99\""},
      {{"transform", "--kind", "3", "--odd", kFlange, "--out", "@/o%.knf"}, 2, "one of 0, 1, 2"},
      {{"transform", "--kind", "2", "--odd", kFlange, "--out", "@/o%.knf", "--field", "n=3"}, 2, "has no field \"n\""},
      {{"transform", "--kind", "2", "--odd", kFlange, "--out", "@/o%.knf", "--field", "nx"}, 2, "NAME=VALUE"},
      {{"transform", "--kind", "2", "--odd", kFlange, "--out", "@/o%.knf", "--keys", "5", "--field", "nx=3"}, 2,
       "--keys and --field"},
      {{"transform", "--kind", "2", "--odd", kFlange, "--out", "@/o%.knf", "--keys", "next x"}, 2,
       "'x' is no key of the dialog"},
      {{"ftp", "--server", "10.0.0.1", "--tap", "t0", "--link", "loss=2,reorder=-1", "ls"}, 2, "each P from 0 to 1"},
      {{"ftp", "--server", "10.0.0.1", "--tap", "t0", "--reply-timeout", "-1", "ls"}, 2, "from 1 to 600000"},
      {{"ftp", "--server", "10.0.0.300", "--tap", "t0", "ls"}, 2, "IPv4 address"},
      {{"ftp", "--server", "10.0.0.1", "--tap", "t0", "fetch"}, 2, "unknown operation \"fetch\""},
      {{"ftp", "--server", "10.0.0.1", "--tap", "t0", "get", "a"}, 2, "get needs 2 argument"},
      {{"ftp", "--server", "10.0.0.1", "--tap", "t0"}, 2, "OPERATION is missing"},
      {{"table-form", "--keys", "15 down q"}, 2, "'q' is no key of the form"},
      {{"table-form", "--keys", "15", "--position", "9=1"}, 2, "AXIS=MM, axis 0 to 5"},
      {{"table-form", "--keys", "15", "--setting", "3000"}, 2, "OFF=VALUE"},
      {{"path", kIso, "--frames", "@/frames", "--keys", "10:fly"}, 2, "--keys \"10:fly\""},
      {{"path", kIso, "--frames", "@/frames", "--keys", "x:origin"}, 2, "CALL must be a call number"},
      {{"path", "@/empty.knf", "--frames", "@/frames"}, 2, "holds no move"},
      {{"path", kIso}, 2, "give --frames DIR, --png FILE or both"},
      {{"plotline", kIso, "--png", "@/x%.png", "--keys", "wait 2 22"}, 2, "a wait goes with --run or --follow"},
      {{"path", kIso, "--png", "@/x%.png", "--keys", "wait 5 9"}, 2, "\"9\": expected origin, zoom-out"},
      {{"vitals", "gauges", "--png", "@/x%.png"}, 2, "one of panel, events, inputs"},
      {{"vitals", "slm", "--png", "@/x%.png", "--set", "command=70000"}, 2, "command=70000: the value from 0 to 65535"},
      {{"vitals", "servo", "--png", "@/x%.png", "--set", "dif@1=1x"}, 2, "the value is not a number"},
      {{"vitals", "inputs", "--png", "@/x%.png", "--set", "out@1=1"}, 2, "not a setting of inputs"},
      {{"vitals", "keyboard", "--png", "@/x%.png", "--held", "1,2,3,4,5"}, 2, "at most four keys at once"},
      {{"vitals", "leds", "--png", "@/x%.png", "--leds", "0x100"}, 2, "a number from 0 to 255"},
      {{"vitals", "slm", "--png", "@/x%.png", "--calls", "3"}, 2, "--calls: not an option of vitals slm"},
      {{"vitals", "panel", "--png", "@/x%.png", "--held", "1"}, 2, "--held: not an option of vitals panel"},
      {{"vitals", "keyboard", "--png", "@/x%.png", "--held", "5", "--keys", "5"}, 2, "--held: not with --keys"},
      {{"charset"}, 2, "give --utf8 TEXT or --cp1250 FILE"},
      {{"charset", "--utf8", "a\xC3"}, 2, "does not start a UTF-8 character"},
      {{"vitals", "panel", "--png", "@/x%.png", "--ring", "@/events.txt"}, 2, "--ring: not an option of vitals panel"},
      {{"vitals", "panel", "--png", "@/x%.png", "--set", "rows=7"}, 2, "rows=7: 3 to 6"},
      {{"vitals", "panel", "--png", "@/x%.png", "--set", "length1=1.23456"}, 2, "at most 3 decimals"},
      {{"vitals", "events", "--ring", "@/bad_events.txt"}, 2, "line 3: time \"7:02\""},
      {{"vitals", "events", "--ring", "@/events.txt", "--limit", "12a"}, 2, "one to five decimal digits"},
      // An empty value is an unset shell variable, not a file name or a number.
      {{"transform", "--kind", "2", "--odd", kFlange, "--out="}, 2, "--out: an empty value; expected FILE"},
      {{"view", kFlange, "--png", ""}, 2, "--png: an empty value"},
      {{"view", "", "--png", "@/x%.png"}, 2, "PROGRAM: an empty value"},
      {{"view", kFlange, "--png", "@/x%.png", "--lang="}, 2, "--lang: an empty value; expected one of 5, 7"},
      // A window too small for the lines hostsim reads once hid a halted
      // translation: the run spun to the host's call bound, then printed
      // an empty error.
      {{"preprocess", kFlange, "--out", "@/o%.nc", "--size", "64x48"}, 2, "needs at least 320x200"},
      // The host's own file work: one line, status 3, nothing left behind.
      {{"view", "@/folder", "--png", "@/x%.png"}, 3, "is a folder, not a file"},
      {{"view", "@/fifo", "--png", "@/x%.png"}, 3, "not a regular file"},
      {{"view", "/dev/zero", "--png", "@/x%.png"}, 3, "not a regular file"},
      {{"view", "@/missing.knf", "--png", "@/x%.png"}, 3, "No such file"},
      {{"view", kFlange, "--png", "@/nodir/x.png"}, 3, "No such file"},
      {{"view", kFlange, "--png", "@/x%.png", "--parts", "2", "--copy", "@/nodir/a.knf"}, 3, "does not exist"},
      {{"view", kFlange, "--png", "@/x%.png", "--parts", "2", "--copy", "@/folder"}, 3, "is a folder"},
      {{"view", kFlange, "--png", "@/x%.png"}, 3, "cannot create a work folder", "/nonexistent-tmp"},
      {{"transform", "--kind", "2", "--odd", "@/folder", "--out", "@/o%.knf"}, 3, "is a folder"},
      {{"transform", "--kind", "2", "--odd", kFlange, "--even", "@/fifo", "--out", "@/o%.knf"}, 3, "not a regular"},
      {{"transform", "--kind", "2", "--odd", kFlange, "--out", "@/folder"}, 3, "is a folder"},
      {{"exports", "@/missing.so"}, 3, "missing.so"},
      {{"ftp", "--server", "10.0.0.1", "--tap", "hostsim-none0", "ls"}, 3, "no network device hostsim-none0"},
      // A generation that asks for too much stops at --max-output, progress
      // shown, and leaves no partial output behind.
      {{"transform", "--kind", "2", "--field", "nx=1000", "--field", "ny=1000", "--odd", kFlange, "--out",
        "@/big%.knf", "--max-output", "64k"}, 3, "written (at most 64.0 KiB)\nhostsim transform: stopped: the run "
        "would write more than --max-output 64.0 KiB", "", "", "@/big%.knf"},
      {{"transform", "--kind", "2", "--odd", kFlange, "--out", "@/o%.knf", "--max-output", "1000"}, 2,
       "a byte count from 1k to 64G"},
      // Output that cannot be written is no success.
      {{"help"}, 3, "cannot write to standard output: No space left", "", "/dev/full"},
      {{"strings", "Kerf"}, 3, "cannot write to standard output", "", "/dev/full"},
      // The library refuses the program: its text, status 1.
      {{"view", "/bin/ls", "--png", "@/x%.png"}, 1, "Error: line"},
      {{"view", "@/empty.knf", "--png", "@/x%.png"}, 1, "nothing to draw"},
      {{"view", "@/long.knf", "--png", "@/x%.png"}, 1, "failed"},
      {{"view", "@/nan.knf", "--png", "@/x%.png"}, 1, "Error"},
      {{"view", "@/huge.knf", "--png", "@/x%.png"}, 1, "Error"},
      {{"view", "@/no_percent.nc", "--iso", "--png", "@/x%.png"}, 1, "begins after its % line"},
      {{"table-form", "--fail-write", "--keys", "left 15 down left 12 down enter"}, 1, "message 135"},
      {{"transform", "--kind", "2", "--odd", "@/empty.knf", "--out", "@/o%.knf"}, 1, "draws nothing"},
      // Success.
      {{"view", kFlange, "--png", "@/x%.png"}, 0, "finished"},
      {{"view", kFlange, "--png=@/x%.png", "--parts", "2", "--copy", "@/a%.knf"}, 0, "2 parts selected"},
      {{"view", kIso, "--iso", "--axes", "XY", "--png", "@/x%.png", "--size", "320x200"}, 0, "finished"},
      {{"exports", TEST_LIB_DIR "/libKerf.so"}, 0, "ViewStart"},
      {{"table-form", "--keys", "left 15 down left 12 down enter", "--position", "0=100"}, 0,
       "entry 15, axis 0, value \"+00088.000\""},
      {{"path", kIso, "--frames", "@/frames", "--every", "500"}, 0, "3 frames in"},
      // A closing wait ends the run there; a key past the end still takes its call.
      {{"path", kIso, "--png", "@/x%.png", "--keys", "zoom-in wait 40"}, 0, "41 calls"},
      {{"path", kIso, "--png", "@/x%.png", "--keys", "wait 1500 plane"}, 0, "1501 calls"},
      {{"vitals", "panel", "--variant", "--calls", "200", "--png", "@/x%.png"}, 0, "200 DATA_VITALS calls"},
      {{"vitals", "keyboard", "--type", "M", "--held", "5;5;;12,13,14,15", "--png", "@/x%.png"}, 0, "4 CONT calls"},
      {{"vitals", "slm", "--keys", "1,2,1", "--layout", "L", "--png", "@/x%.png"}, 0, "3 DATA calls"},
      {{"charset", "--utf8", "\xC4\x8D\xE2\x86\x92"}, 0, "87 7E"},
      {{"vitals", "events", "--ring", "@/events.txt", "--critical"}, 0, "result byte 0"},
      {{"vitals", "events", "--ring", "@/events.txt", "--keys", "live,export", "--export", "@/ev%"}, 0,
       "2 events, 2 DATA_EVENT calls, result byte 0"},
      // A wait is the periodic call without a key every 100 ms begun.
      {{"vitals", "events", "--ring", "@/events.txt", "--keys", "wait 201, live, wait 100"}, 0, "5 DATA_EVENT calls"},
      {{"vitals", "slm", "--keys", "wait 99, 1, wait 0", "--png", "@/x%.png"}, 0, "2 DATA calls"},
      {{"vitals", "keyboard", "--keys", "5, wait 100, 12", "--png", "@/x%.png"}, 0, "3 CONT calls"},
      // Service files through libVitals' and libAnvil's exports.
      {{"can-params", TEST_SOURCE_DIR "/examples/can"}, 0, "id 0x60C node 12 command 0x2F index 0x2100 sub 0 value 0x000000FF"},
      {{"can-params", TEST_SOURCE_DIR "/examples/can", "--capacity", "4"}, 1, "result 6 (the request table is full)"},
      {{"can-params", TEST_SOURCE_DIR "/examples/can", "--mode", "2"}, 1, "CAN line 1 is not in mode 1"},
      {{"can-params", TEST_SOURCE_DIR "/examples/can", "--buffer", "1000"}, 1, "result 3"},
      {{"can-params", "@/none"}, 3, "not a folder"},
      {{"plc-texts", TEST_SOURCE_DIR "/examples/plc", "--lang", "5"}, 0, "   1 \"Kolize ho\xC5\x99\xC3\xA1ku: zkontrolujte dr"},
      {{"plc-texts", TEST_SOURCE_DIR "/examples/plc", "--lang", "10"}, 1, "result -9 (unsupported language)"},
      {{"plc-texts", TEST_SOURCE_DIR "/examples/plc", "--lang", "7"}, 1, "result -2"},
      {{"plc-texts", TEST_SOURCE_DIR "/examples/plc", "--storage", "120"}, 1, "result -11"},
      {{"params", TEST_SOURCE_DIR "/examples/params.tab", "--header", "$PAR"}, 0, "\tR100=3\" pierce delay \"s\"\r\n"},
      {{"params", TEST_SOURCE_DIR "/examples/params.tab", "--header", "$PAR", "--size", "0"}, 1, "result 1"},
      {{"params", TEST_SOURCE_DIR "/examples/params.tab"}, 2, "--header is required"},
      {{"kerf-texts", TEST_SOURCE_DIR "/examples/marked_bracket.knf", "--out", "@/copy%.knf"}, 0,
       "block 2:\n  1: QTY 4\n"},
      {{"kerf-texts", "@/missing.knf"}, 3, "missing.knf"},
      {{"strings", "Kerf", "--lang", "7"}, 0, "44 OK"},
      {{"transform", "--kind", "2", "--field", "nx=2", "--field", "x-shift=50", "--odd", kFlange, "--out",
        "@/o%.knf", "--quiet"}, 0, ""},
  };
  // Rows run four at a time, each a separate process started from this
  // one thread (a process forked beside other threads can hang under the
  // emulator); outputs and TMPDIRs are per row, and the rows write
  // different files or the same content. Should a child still hang, it is
  // killed after 300 s and the row run once more; a second hang fails it.
  struct Running {
    size_t row;
    std::chrono::steady_clock::time_point start;
    int attempt;
  };
  std::vector<Result> results(rows.size());
  std::vector<std::string> hung(rows.size());
  std::deque<std::pair<size_t, int>> waiting;  // row, attempt
  for (size_t i = 0; i < rows.size(); ++i) waiting.emplace_back(i, 0);
  std::map<pid_t, Running> running;
  auto finish = [&](size_t row, int status) {
    results[row] = Finish(rows[row], row, status);
    results[row].output = hung[row] + results[row].output;
  };
  while (!waiting.empty() || !running.empty()) {
    while (running.size() < 4 && !waiting.empty()) {
      auto [row, attempt] = waiting.front();
      waiting.pop_front();
      pid_t pid = Spawn(rows[row], row);
      if (pid > 0) running[pid] = {row, std::chrono::steady_clock::now(), attempt};
    }
    int status = 0;
    pid_t pid = waitpid(-1, &status, WNOHANG);
    if (pid > 0) {
      auto it = running.find(pid);
      if (it != running.end()) {
        finish(it->second.row, status);
        running.erase(it);
      }
      continue;
    }
    for (auto it = running.begin(); it != running.end();) {
      if (std::chrono::steady_clock::now() - it->second.start < std::chrono::seconds(300)) {
        ++it;
        continue;
      }
      kill(it->first, SIGKILL);
      waitpid(it->first, &status, 0);
      size_t row = it->second.row;
      hung[row] += "[hung for 300 s and killed] ";
      fprintf(stderr, "row %zu hung for 300 s; killed%s\n", row, it->second.attempt == 0 ? ", running it again" : "");
      if (it->second.attempt == 0) waiting.emplace_back(row, 1);
      else finish(row, status);
      it = running.erase(it);
    }
    usleep(5000);
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    std::string line;
    for (const std::string& a : rows[i].args) line += " " + a;
    SCOPED_TRACE("hostsim" + line);
    EXPECT_EQ(results[i].status, rows[i].status) << results[i].output;
    EXPECT_NE(results[i].output.find(rows[i].fragment), std::string::npos) << results[i].output;
    EXPECT_FALSE(results[i].sandbox_left) << "a sandbox was left in TMPDIR";
    EXPECT_FALSE(results[i].absent_exists) << rows[i].absent << " was written";
  }
}

// The README's option reference is what `hostsim help --markdown` prints
// from the commands' declarations (tools/readme-options.sh copies it).
TEST_F(HostsimCli, ReadmeOptionReference) {
  Result result = Run({{"help", "--markdown"}, 0, ""}, 0);
  ASSERT_EQ(result.status, 0) << result.output;
  std::string readme = Slurp(TEST_SOURCE_DIR "/README.md");
  const std::string begin = "<!-- hostsim help --markdown: begin -->\n";
  const std::string end = "<!-- hostsim help --markdown: end -->\n";
  size_t from = readme.find(begin), to = readme.find(end);
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  from += begin.size();
  EXPECT_EQ(readme.substr(from, to - from), result.output)
      << "the README's option reference is out of date: run tools/readme-options.sh";
  EXPECT_NE(result.output.find("#### hostsim view"), std::string::npos);
}

}  // namespace
