#include "host/commands/file_args.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/services/host_error.h"

namespace host {

namespace fs = std::filesystem;

uint64_t RequireReadableFile(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) throw HostError(path + ": " + strerror(errno));
  if (S_ISDIR(st.st_mode)) throw HostError(path + ": is a folder, not a file");
  if (!S_ISREG(st.st_mode)) throw HostError(path + ": not a regular file");
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) throw HostError(path + ": " + strerror(errno));
  close(fd);
  return static_cast<uint64_t>(st.st_size);
}

std::string ReadInputFile(const std::string& path, uint64_t max_bytes) {
  uint64_t size = RequireReadableFile(path);
  if (size > max_bytes)
    throw HostError(path + ": larger than " + std::to_string(max_bytes) + " bytes");
  std::ifstream in(path, std::ios::binary);
  std::string text(static_cast<size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(size));
  if (!in) throw HostError(path + ": cannot be read");
  return text;
}

void CopyToOutput(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (fs::is_directory(to, ec)) throw HostError(to + ": is a folder; give a file name");
  fs::path parent = fs::path(to).parent_path();
  if (!parent.empty() && !fs::is_directory(parent, ec))
    throw HostError(to + ": the folder " + parent.string() + " does not exist");
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) throw HostError("cannot write " + to + ": " + ec.message());
}

void CopyFromInput(const std::string& from, const std::string& to) {
  RequireReadableFile(from);
  std::error_code ec;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) throw HostError("cannot copy " + from + ": " + ec.message());
}

}  // namespace host
