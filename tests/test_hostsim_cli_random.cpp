// Random command lines into hostsim's command line, in this process:
// registered commands, their own option names, values near and far from
// what the options allow, and junk, drawn with a fixed seed. Whatever the
// words, hostsim must not crash, must end with a status from 0 to 3 and
// must leave nothing in TMPDIR.
//
// The work folder is the current directory while the vectors run and no
// value holds a '/', so whatever a command writes stays in that folder.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "host/commands/command.h"
#include "tests/support/scale.h"

namespace {

namespace fs = std::filesystem;

// Values every option may meet: fitting ones, near misses and nonsense.
const std::vector<std::string> kValues = {
    "1", "0", "-1", "2", "9", "7", "255", "abc", "", "1x1", "0x0", "64x48", "4097x10", "1,2,3,4",
    "10,10,5,5", "p.knf", "empty.knf", "dir", "missing.knf", "out.png", "o.knf", "XY", "QQ", "<", "F",
    "plain", "Kerf", "Anvil", "down", "down up enter", "@keys.txt", "@missing", "nx=2", "n=3", "nx",
    "loss=0.5", "loss=2,reorder=-1", "10.0.0.1", "10.0.0.300", "hostsim-none0", "1e999", "NaN", "0x10",
    "4294967296", "99999999999999999999999", "64k", "1k", "5G", "--", "-", "=", "ls", "get", "pwd", "yes",
};

// Every command but the console, which becomes a web server that serves
// until stopped (its options are checked in the HostsimCli test).
std::vector<const host::Command*> Runnable() {
  std::vector<const host::Command*> commands = host::RegisteredCommands();
  std::erase_if(commands, [](const host::Command* c) { return c->name == "console"; });
  return commands;
}

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  std::vector<std::string> Vector() { return Chance(50) ? Mutated() : Scattered(); }

 private:
  // A command with every required option and positional given a fitting
  // value, then changed in up to three places: most of these get past the
  // parser and reach the command's own checks and work.
  std::vector<std::string> Mutated() {
    std::vector<const host::Command*> commands = Runnable();
    const host::Command& command = *commands[Below(commands.size())];
    std::vector<std::string> args = {command.name};
    for (const host::Option& o : command.options) {
      if (!o.required) continue;
      if (o.type != host::OptionType::kPositional) args.push_back(o.name);
      args.push_back(Fitting(o));
    }
    for (size_t n = Below(4); n > 0; --n) {
      size_t at = 1 + Below(args.size());
      switch (Below(4)) {
        case 0:
        case 1: {  // another option of the command, with a fitting value
          const host::Option& o = command.options[Below(command.options.size())];
          std::vector<std::string> words;
          if (o.type != host::OptionType::kPositional) words.push_back(o.name);
          if (o.type != host::OptionType::kFlag) words.push_back(Fitting(o));
          args.insert(args.begin() + static_cast<long>(at), words.begin(), words.end());
          break;
        }
        case 2:  // a word replaced
          if (at < args.size()) args[at] = Chance(50) ? Value() : Junk();
          break;
        default:  // a word dropped
          if (at < args.size()) args.erase(args.begin() + static_cast<long>(at));
          break;
      }
    }
    return args;
  }

  // A value the option takes, small where it is a count, so that a run
  // that gets through stays short.
  std::string Fitting(const host::Option& o) {
    switch (o.type) {
      case host::OptionType::kInt:
      case host::OptionType::kReal:
        return std::to_string(static_cast<long long>(o.min) + static_cast<long long>(Below(2)));
      case host::OptionType::kChoice: return Pick(o.choices);
      case host::OptionType::kSize: return Pick({"64x48", "32x32"});
      case host::OptionType::kInts: {
        std::string list;
        for (size_t i = 0; i < o.count; ++i) list += (i ? "," : "") + std::to_string(i < o.count / 2 ? 1 : 20);
        return list;
      }
      case host::OptionType::kKeys: return o.keys->keys.empty() ? "x" : o.keys->keys[Below(o.keys->keys.size())].name;
      case host::OptionType::kBytes: return Pick({"64k", "1M"});
      case host::OptionType::kFlag: return "";
      case host::OptionType::kText:
      case host::OptionType::kPositional: break;
    }
    if (o.metavar == "PROGRAM" || o.metavar == "SOURCE") return "p.knf";
    if (o.metavar == "LIBRARY") return Pick({"Kerf", "Anvil", "p.knf"});
    if (o.metavar == "OPERATION") return Pick({"ls", "pwd"});
    if (o.metavar == "DIR" || o.metavar == "FOLDER") return "dir";
    if (o.metavar == "IP") return "10.0.0.1";
    if (o.metavar == "NAME=VALUE") return Pick({"nx=2", "x-shift=50"});
    if (o.metavar == "FILE") return Pick({"p.knf", "out.png", "o.knf"});
    return Value();
  }

  // Any words: the command's option names, values and junk in any order.
  std::vector<std::string> Scattered() {
    std::vector<std::string> args;
    std::vector<const host::Command*> commands = Runnable();
    const host::Command* command = nullptr;
    if (Chance(85)) {
      command = commands[Below(commands.size())];
      args.push_back(command->name);
    } else {
      args.push_back(Pick({"help", "", "-h", "--help", "nope", "--", "view=1", Junk()}));
    }
    size_t words = Below(9);
    for (size_t i = 0; i < words; ++i) {
      int kind = static_cast<int>(Below(100));
      if (kind < 45 && command && !command->options.empty()) {
        const host::Option& o = command->options[Below(command->options.size())];
        std::string name = o.type == host::OptionType::kPositional ? Value() : o.name;
        if (Chance(30)) name += "=" + Value();
        args.push_back(name);
      } else if (kind < 80) {
        args.push_back(Value());
      } else {
        args.push_back(Junk());
      }
    }
    return args;
  }

  size_t Below(size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(random_) : 0; }
  bool Chance(int percent) { return static_cast<int>(Below(100)) < percent; }
  std::string Pick(const std::vector<std::string>& list) { return list[Below(list.size())]; }
  std::string Value() { return Pick(kValues); }
  // Bytes that look like options, numbers, sizes and lists, and some that
  // are no text at all.
  std::string Junk() {
    static const char kBytes[] = "-=@,.x0123456789AZaz \t\xff\x01%<>:";
    std::string text;
    for (size_t n = Below(13); n > 0; --n) text += kBytes[Below(sizeof kBytes - 1)];
    return text;
  }

  std::mt19937 random_;
};

// Standard input from /dev/null (a command that asks gets no answer),
// standard output and error into a file, for the life of the object.
class QuietStreams {
 public:
  explicit QuietStreams(const std::string& log) {
    fflush(stdout);
    fflush(stderr);
    for (int fd = 0; fd < 3; ++fd) saved_[fd] = dup(fd);
    int in = open("/dev/null", O_RDONLY);
    int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    close(in);
    close(out);
  }
  ~QuietStreams() {
    fflush(stdout);
    fflush(stderr);
    for (int fd = 0; fd < 3; ++fd) {
      dup2(saved_[fd], fd);
      close(saved_[fd]);
    }
    clearerr(stdin);
  }

 private:
  int saved_[3];
};

std::string Shown(const std::vector<std::string>& args) {
  std::string line = "hostsim";
  for (const std::string& a : args) line += " '" + a + "'";
  return line;
}

TEST(HostsimCliRandom, EveryVectorEndsWithAStatusAndLeavesNoSandbox) {
  char pattern[] = "/tmp/hostsim-cli-random-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path work = pattern;
  const fs::path tmp = work / "tmp";
  fs::create_directories(tmp);
  fs::create_directories(work / "dir");
  fs::copy_file(TEST_SOURCE_DIR "/examples/flange.knf", work / "p.knf");
  std::ofstream(work / "empty.knf");
  std::ofstream(work / "keys.txt") << "down\nenter\n";
  const fs::path previous_dir = fs::current_path();
  const char* previous_tmp = getenv("TMPDIR");
  std::string saved_tmp = previous_tmp ? previous_tmp : "";
  setenv("TMPDIR", tmp.c_str(), 1);
  setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1);
  fs::current_path(work);

  const int vectors = std::max(30, testing_support::Scaled(300));
  Generator generator(20261209);
  std::vector<std::string> faults;
  int statuses[4] = {};
  {
    QuietStreams quiet((work / "output.txt").string());
    for (int i = 0; i < vectors; ++i) {
      std::vector<std::string> args = generator.Vector();
      int status = host::RunCommandLine(args);
      if (status < 0 || status > 3) faults.push_back(Shown(args) + ": status " + std::to_string(status));
      else ++statuses[status];
      if (!fs::is_empty(tmp)) {
        faults.push_back(Shown(args) + ": a sandbox was left in TMPDIR");
        for (const auto& entry : fs::directory_iterator(tmp)) fs::remove_all(entry.path());
      }
    }
  }

  fs::current_path(previous_dir);
  if (previous_tmp) setenv("TMPDIR", saved_tmp.c_str(), 1);
  else unsetenv("TMPDIR");
  fs::remove_all(work);
  printf("%d vectors: status 0 %d, 1 %d, 2 %d, 3 %d\n", vectors, statuses[0], statuses[1], statuses[2], statuses[3]);
  for (const std::string& fault : faults) ADD_FAILURE() << fault;
  // The vectors reach past the parser too: some run their command to an end.
  EXPECT_GT(statuses[2], vectors / 2);
  EXPECT_GT(statuses[0] + statuses[1] + statuses[3], 0);
}

}  // namespace
