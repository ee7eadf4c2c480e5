// hostsim: loads the libraries the way the control's main program does and
// drives them from the command line.
#include <stdio.h>

#include <map>
#include <string>
#include <vector>

#include "host/commands/command.h"

namespace host {
namespace {

struct Command {
  const char* usage;
  CommandFn fn;
};

std::map<std::string, Command>& Commands() {
  static std::map<std::string, Command> commands;
  return commands;
}

}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFn fn) {
  Commands()[name] = {usage, fn};
}

}  // namespace host

int main(int argc, char** argv) {
  auto& commands = host::Commands();
  if (argc < 2 || commands.find(argv[1]) == commands.end()) {
    fprintf(stderr, "usage: hostsim COMMAND [ARGS]\n\ncommands:\n");
    for (auto& [name, command] : commands) fprintf(stderr, "  hostsim %s %s\n", name.c_str(), command.usage);
    return 2;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  return commands[argv[1]].fn(args);
}
