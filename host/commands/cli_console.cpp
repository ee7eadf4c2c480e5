// hostsim console [--port N] [--sandbox DIR] [--lang N] [--listen ADDR]
//
// The operator console in the browser: a web server on this machine that
// shows the simulated screen live, starts the operations with their
// options and passes the operator's keys on. The server is the program
// hostsim-console beside hostsim; this command checks the options and hands
// over to it (the process becomes the server).
#include <ctype.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>

#include "host/commands/command.h"

namespace host {
namespace {

std::string ListenAddress(const std::string& value) {
  for (char c : value)
    if (!isxdigit(static_cast<unsigned char>(c)) && c != '.' && c != ':') return "expected an IP address";
  return value.empty() ? "expected an IP address" : "";
}

int ConsoleCommand(const ParsedArgs& args) {
  const std::string sandbox = args.Text("--sandbox");
  if (!std::filesystem::is_directory(sandbox)) throw UsageError("--sandbox " + sandbox + ": no such folder");
  char self[PATH_MAX] = {};
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) throw HostError("cannot tell where hostsim lies");
  const std::string server =
      (std::filesystem::path(std::string(self, static_cast<size_t>(n))).parent_path() / "hostsim-console").string();
  std::vector<std::string> words = {server, "--port", args.Text("--port"), "--sandbox", sandbox,
                                    "--lang", args.Text("--lang"), "--listen", args.Text("--listen")};
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  fflush(stdout);
  execv(server.c_str(), argv.data());
  throw HostError("cannot start " + server + ": " + strerror(errno));
}

CommandRegistration console_command({"console",
    "the operator console in the browser: the screen live, operations started and keys pressed from the page", {
    Int("--port", 0, 65535, "0", "the port to listen on (0: one of the console's own choosing, printed)"),
    Text("--sandbox", "DIR", "the folder the page picks programs from and saves recordings in", "."),
    LanguageOption(),
    Text("--listen", "ADDR", "the address to listen on; others than 127.0.0.1 open the console to the network",
         "127.0.0.1").Checked(ListenAddress, "an IPv4 or IPv6 address"),
}, ConsoleCommand});

}  // namespace
}  // namespace host
