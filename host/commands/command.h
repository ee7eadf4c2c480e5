// Sub-commands of the hostsim command line.
//
// Each cli_<name>.cpp file declares its command once, with a static
// CommandRegistration: its name, a one-line summary, its options (see
// host/commands/options.h for how to declare them) and the function that
// runs it. The option parser, `--help`, `hostsim help` and the README's
// option reference all come from that one declaration.
//
// Exit statuses, the same for every command:
//   0  the operation succeeded
//   1  the library reported a failure (its text printed as UTF-8)
//   2  usage: an unknown command or option, a missing or refused value
//   3  the host environment failed: files, folders, devices, memory
// A command returns 0 or 1 itself; for 2 and 3 it may also throw
// UsageError or HostError (host/services/host_error.h) from anywhere, and
// main prints a one-line message. Nothing escapes main.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "host/commands/options.h"
#include "host/services/host_error.h"

namespace host {

enum ExitStatus : int {
  kExitOk = 0,
  kExitLibraryFailure = 1,
  kExitUsage = 2,
  kExitHostFailure = 3,
};

using CommandFn = int (*)(const ParsedArgs& args);

struct Command {
  std::string name;
  std::string summary;          // one line, for `hostsim help`
  std::vector<Option> options;  // in the order --help lists them
  CommandFn run = nullptr;
};

struct CommandRegistration {
  CommandRegistration(Command command);
};

// Prints "hostsim: MESSAGE" (the library's failure, as UTF-8) and returns
// kExitLibraryFailure.
int LibraryFailure(const std::string& message);

// Every registered command, sorted by name.
std::vector<const Command*> RegisteredCommands();
const Command* FindCommand(const std::string& name);

// Runs the whole command line (argv without the program name) and returns
// the exit status; prints every message itself and lets no exception out.
int RunCommandLine(const std::vector<std::string>& argv);

// The option reference of every command as Markdown (the README's section).
std::string MarkdownReference();

}  // namespace host
