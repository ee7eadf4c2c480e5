#include "tests/support/ftp_server.h"

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <sstream>

namespace testing_support {

std::string Env(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

uint64_t Fnv1a(const std::string& s) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char ch : s) h = (h ^ ch) * 1099511628211ull;
  return h;
}

std::string Pattern(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>(x >> 24);
  }
  return s;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::vector<pid_t> Descendants(pid_t root) {
  std::vector<std::pair<pid_t, pid_t>> all;
  DIR* d = opendir("/proc");
  while (dirent* e = d ? readdir(d) : nullptr) {
    pid_t pid = atoi(e->d_name);
    if (pid <= 0) continue;
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    char state;
    int parent = 0;
    if (close != std::string::npos && sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2)
      all.push_back({pid, parent});
  }
  if (d) closedir(d);
  std::vector<pid_t> found{root};
  for (size_t i = 0; i < found.size(); ++i)
    for (auto& [pid, parent] : all)
      if (parent == found[i]) found.push_back(pid);
  found.erase(found.begin());
  return found;
}

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace testing_support
