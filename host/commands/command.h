// Sub-commands of the hostsim command line. Each cli_*.cpp file registers
// its commands with a static CommandRegistration.
#pragma once

#include <string>
#include <vector>

namespace host {

using CommandFn = int (*)(const std::vector<std::string>& args);

struct CommandRegistration {
  CommandRegistration(const char* name, const char* usage, CommandFn fn);
};

}  // namespace host
