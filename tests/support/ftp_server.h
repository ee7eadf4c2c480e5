// Helpers of the tests that run against a real vsftpd (tools/vsftpd-run.sh):
// its set-up from the environment, test contents, files on the server's side
// and the server's processes.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace testing_support {

double Seconds();                          // a monotonic clock
std::string Env(const char* name);         // "" when unset
uint64_t Fnv1a(const std::string& s);
std::string Pattern(size_t n, uint32_t seed);  // n bytes that do not repeat soon
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
// Every process descending from `root` (vsftpd's session processes).
std::vector<pid_t> Descendants(pid_t root);

}  // namespace testing_support
