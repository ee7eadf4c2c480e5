// The console's checks on what a request brings: whose page sent it and
// which sandbox file it names. Kept free of the HTTP library so that each
// rule is tested on its own.
//
// A browser sends the Host it connected to and, on requests that a page
// starts, the Origin of that page. A page of another site that makes a
// browser reach the console (by a name rebound to 127.0.0.1, say) shows up
// with a foreign Host or Origin and is refused.
#pragma once

#include <string>
#include <vector>

namespace host {

// Host names the console answers to: the local names and the address it
// listens on (each taken with the console's port).
std::vector<std::string> ConsoleHostNames(const std::string& listen_address);

// True when `host_header` (as "name:port") names the console: one of
// `names` with exactly `port`. Names compare without regard to case.
bool HostIsConsole(const std::string& host_header, const std::vector<std::string>& names, int port);

// True when the request carries no Origin (a same-site navigation, a tool)
// or the Origin is "http://" followed by a Host the console answers to.
bool OriginIsConsole(const std::string& origin, const std::vector<std::string>& names, int port);

// Checks a path the page sends, relative to the sandbox: "/"-separated
// names, no empty name, no "." or "..", no absolute path or drive, no
// backslash or control character, at most 255 bytes. Returns "" and the
// path under `root` in *resolved, or the reason it was refused. When the
// named file or a folder on the way exists, its real location must lie
// inside the real sandbox too (a symbolic link cannot lead out).
std::string SandboxPath(const std::string& root, const std::string& relative, std::string* resolved);

}  // namespace host
