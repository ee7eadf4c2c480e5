#include "host/console/console_safety.h"

#include <limits.h>
#include <stdlib.h>
#include <strings.h>
#include <unistd.h>

namespace host {
namespace {

constexpr size_t kMaxRelativePath = 255;

// The real location of `path`, or of its nearest existing ancestor.
std::string RealExistingPrefix(const std::string& path) {
  std::string at = path;
  while (!at.empty()) {
    char real[PATH_MAX];
    if (realpath(at.c_str(), real)) return real;
    size_t slash = at.rfind('/');
    if (slash == std::string::npos || slash == 0) break;
    at.resize(slash);
  }
  return "";
}

bool Inside(const std::string& path, const std::string& folder) {
  return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                            (folder.back() == '/' || path[folder.size()] == '/'));
}

}  // namespace

std::vector<std::string> ConsoleHostNames(const std::string& listen_address) {
  std::vector<std::string> names = {"127.0.0.1", "localhost", "[::1]"};
  // Every address ("0.0.0.0") is no name a browser connects to; a concrete
  // one is, and so is this machine's name.
  if (listen_address != "0.0.0.0" && listen_address != "::") {
    names.push_back(listen_address.find(':') != std::string::npos ? "[" + listen_address + "]" : listen_address);
  }
  if (listen_address != "127.0.0.1") {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0 && name[0]) names.push_back(name);
  }
  return names;
}

bool HostIsConsole(const std::string& host_header, const std::vector<std::string>& names, int port) {
  const std::string suffix = ":" + std::to_string(port);
  if (host_header.size() <= suffix.size() ||
      host_header.compare(host_header.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  const std::string name = host_header.substr(0, host_header.size() - suffix.size());
  for (const std::string& known : names)
    if (name.size() == known.size() && strcasecmp(name.c_str(), known.c_str()) == 0) return true;
  return false;
}

bool OriginIsConsole(const std::string& origin, const std::vector<std::string>& names, int port) {
  if (origin.empty()) return true;
  const std::string scheme = "http://";
  if (origin.compare(0, scheme.size(), scheme) != 0) return false;
  return HostIsConsole(origin.substr(scheme.size()), names, port);
}

std::string SandboxPath(const std::string& root, const std::string& relative, std::string* resolved) {
  if (relative.empty()) return "no path given";
  if (relative.size() > kMaxRelativePath) return "the path is longer than 255 bytes";
  if (relative[0] == '/') return "an absolute path; paths are relative to the sandbox";
  if (relative.size() >= 2 && relative[1] == ':') return "a drive; paths are relative to the sandbox";
  for (char c : relative) {
    if (c == '\\') return "a backslash; names are separated by /";
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "a control character in the path";
  }
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const std::string name = relative.substr(start, end - start);
    if (name.empty()) return "an empty name in the path";
    if (name == "." || name == "..") return "\"" + name + "\" in the path; paths stay inside the sandbox";
    start = end + 1;
  }
  const std::string path = root + (root.empty() || root.back() == '/' ? "" : "/") + relative;
  char real_root[PATH_MAX];
  if (!realpath(root.c_str(), real_root)) return "the sandbox folder is missing";
  const std::string reached = RealExistingPrefix(path);
  if (reached.empty() || !Inside(reached, real_root)) return "the path leads out of the sandbox";
  *resolved = path;
  return "";
}

}  // namespace host
