// The hostsim command line: finds the command, parses its options, runs it
// and turns every way it can end into a message and an exit status.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "host/commands/command.h"

namespace host {
namespace {

std::map<std::string, Command>& Commands() {
  static std::map<std::string, Command> commands;
  return commands;
}

void PrintCommandList(FILE* out) {
  fprintf(out, "usage: hostsim COMMAND [OPTIONS]   (hostsim COMMAND --help for its options)\n\ncommands:\n");
  for (const Command* c : RegisteredCommands()) fprintf(out, "  %-14s %s\n", c->name.c_str(), c->summary.c_str());
  fprintf(out,
          "  %-14s this list; `help COMMAND` a command's options, `help --markdown` the README reference\n",
          "help");
}

int Help(const std::vector<std::string>& args) {
  if (args.empty()) {
    PrintCommandList(stdout);
    return kExitOk;
  }
  if (args.size() == 1 && args[0] == "--markdown") {
    fputs(MarkdownReference().c_str(), stdout);
    return kExitOk;
  }
  const Command* c = args.size() == 1 ? FindCommand(args[0]) : nullptr;
  if (!c) throw UsageError("help takes a command name or --markdown");
  fputs(HelpText(c->name, c->summary, c->options).c_str(), stdout);
  return kExitOk;
}

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--") return false;
    if (a == "--help" || a == "-h") return true;
  }
  return false;
}

int Run(const std::vector<std::string>& argv, std::string* context) {
  if (argv.empty()) {
    PrintCommandList(stderr);
    return kExitUsage;
  }
  std::vector<std::string> args(argv.begin() + 1, argv.end());
  if (argv[0] == "help" || argv[0] == "--help" || argv[0] == "-h") return Help(args);
  const Command* c = FindCommand(argv[0]);
  if (!c) {
    *context = "hostsim";
    std::string shown = argv[0].size() > 60 ? argv[0].substr(0, 57) + "..." : argv[0];
    throw UsageError("unknown command \"" + shown + "\" (hostsim help lists the commands)");
  }
  *context = "hostsim " + c->name;
  if (AsksForHelp(args)) {
    fputs(HelpText(c->name, c->summary, c->options).c_str(), stdout);
    return kExitOk;
  }
  ParsedArgs parsed = ParseOptions(c->name, c->options, args);
  return c->run(parsed);
}

int RunCaught(const std::vector<std::string>& argv, std::string* context) {
  try {
    return Run(argv, context);
  } catch (const UsageError& e) {
    fflush(stdout);
    fprintf(stderr, "%s: %s\n", context->c_str(), e.what());
    if (const Command* c = argv.empty() ? nullptr : FindCommand(argv[0]))
      fprintf(stderr, "usage: %s\n", UsageLine(c->name, c->options).c_str());
    return kExitUsage;
  } catch (const std::filesystem::filesystem_error& e) {
    fflush(stdout);
    std::string paths = e.path1().string() + (e.path2().empty() ? "" : " -> " + e.path2().string());
    fprintf(stderr, "%s: %s: %s\n", context->c_str(), paths.c_str(), e.code().message().c_str());
    return kExitHostFailure;
  } catch (const std::bad_alloc&) {
    fflush(stdout);
    fprintf(stderr, "%s: out of memory\n", context->c_str());
    return kExitHostFailure;
  } catch (const std::exception& e) {
    fflush(stdout);
    fprintf(stderr, "%s: %s\n", context->c_str(), e.what());
    return kExitHostFailure;
  } catch (...) {
    fflush(stdout);
    fprintf(stderr, "%s: unexpected failure\n", context->c_str());
    return kExitHostFailure;
  }
}

}  // namespace

CommandRegistration::CommandRegistration(Command command) {
  std::string name = command.name;
  Commands()[name] = std::move(command);
}

std::vector<const Command*> RegisteredCommands() {
  std::vector<const Command*> list;
  for (auto& [name, command] : Commands()) list.push_back(&command);
  return list;
}

const Command* FindCommand(const std::string& name) {
  auto it = Commands().find(name);
  return it == Commands().end() ? nullptr : &it->second;
}

int LibraryFailure(const std::string& message) {
  fflush(stdout);
  fprintf(stderr, "hostsim: %s\n", message.c_str());
  return kExitLibraryFailure;
}

std::string MarkdownReference() {
  std::string text;
  for (const Command* c : RegisteredCommands()) text += MarkdownHelp(c->name, c->summary, c->options);
  return text;
}

int RunCommandLine(const std::vector<std::string>& argv) {
  std::string context = "hostsim";
  int status = RunCaught(argv, &context);
  // Output that never arrived (a full disk, a closed pipe) is no success,
  // whatever the command thought of its work.
  errno = 0;
  bool flushed = fflush(stdout) == 0;
  int error = errno;
  if (!flushed || ferror(stdout)) {
    fprintf(stderr, "%s: cannot write to standard output: %s\n", context.c_str(),
            error ? strerror(error) : "a write failed");
    clearerr(stdout);
    if (status != kExitUsage) status = kExitHostFailure;
  }
  return status;
}

}  // namespace host
