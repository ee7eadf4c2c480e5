// Fuzz target: what a page sends the console, checked as the server checks
// it. The input's first byte picks the check, the rest is the value.
//   sandbox paths: a path taken resolves under the sandbox and holds no
//     "." or ".." name; one refused leaves the result untouched;
//   Host and Origin: taken only when it names the console's port;
//   texts into JSON: no raw control character, quote or backslash, and
//     valid UTF-8 throughout.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "host/console/console_json.h"
#include "host/console/console_safety.h"

namespace {

std::string g_root;

bool ValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_root.empty()) {
    char pattern[] = "/tmp/fuzz-console-XXXXXX";
    FUZZ_CHECK(mkdtemp(pattern) != nullptr);
    g_root = pattern;
  }
  if (size == 0) return 0;
  const std::string value(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0: {
      std::string resolved = "untouched";
      const std::string reason = host::SandboxPath(g_root, value, &resolved);
      if (!reason.empty()) {
        FUZZ_CHECK(resolved == "untouched");
        break;
      }
      FUZZ_CHECK(resolved.compare(0, g_root.size() + 1, g_root + "/") == 0);
      const std::string rest = "/" + resolved.substr(g_root.size() + 1) + "/";
      FUZZ_CHECK(rest.find("/../") == std::string::npos && rest.find("/./") == std::string::npos);
      FUZZ_CHECK(rest.find("//") == std::string::npos && rest.find('\\') == std::string::npos);
      break;
    }
    case 1: {
      const std::vector<std::string> names = {"127.0.0.1", "localhost"};
      if (host::HostIsConsole(value, names, 8080)) {
        FUZZ_CHECK(value.size() > 5 && value.compare(value.size() - 5, 5, ":8080") == 0);
      }
      if (!value.empty() && host::OriginIsConsole(value, names, 8080)) {
        FUZZ_CHECK(value.compare(0, 7, "http://") == 0);
        FUZZ_CHECK(host::HostIsConsole(value.substr(7), names, 8080));
      }
      break;
    }
    default: {
      const std::string json = host::JsonString(value);
      FUZZ_CHECK(json.size() >= 2 && json.front() == '"' && json.back() == '"');
      const std::string inner = json.substr(1, json.size() - 2);
      for (size_t i = 0; i < inner.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(inner[i]);
        FUZZ_CHECK(c >= 0x20 && c != 0x7F);
        if (c == '\\') {
          FUZZ_CHECK(i + 1 < inner.size());
          ++i;  // the escaped character
        } else {
          FUZZ_CHECK(c != '"');
        }
      }
      FUZZ_CHECK(ValidUtf8(json));
      break;
    }
  }
  return 0;
}
