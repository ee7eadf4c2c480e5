// hostsim: loads the libraries the way the control's main program does and
// drives them from the command line (host/commands/command_line.cpp).
#include <string>
#include <vector>

#include "host/commands/command.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return host::RunCommandLine(args);
}
