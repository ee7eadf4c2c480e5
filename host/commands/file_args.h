// The host's own file work for command-line arguments: input files checked
// before a library sees them, results copied out. Failures throw HostError
// with a one-line message naming the path (hostsim exit status 3).
#pragma once

#include <stdint.h>

#include <string>

namespace host {

// `path` is a regular file the host can read; returns its size.
uint64_t RequireReadableFile(const std::string& path);
// Reads a whole input file of at most `max_bytes`.
std::string ReadInputFile(const std::string& path, uint64_t max_bytes);
// Copies `from` onto the output path `to` (replacing a file there).
void CopyToOutput(const std::string& from, const std::string& to);
// Copies an input file into the sandbox.
void CopyFromInput(const std::string& from, const std::string& to);

}  // namespace host
