// A private folder for one hostsim run (the drive folders a library sees
// through the file services): created under $TMPDIR (else /tmp), removed
// when the object goes, also when an exception passes, and on SIGINT,
// SIGTERM or SIGHUP before the process ends.
#pragma once

#include <string>

namespace host {

class SandboxFolder {
 public:
  // Creates <tmp>/hostsim-<purpose>-XXXXXX; throws HostError when it cannot.
  explicit SandboxFolder(const std::string& purpose);
  ~SandboxFolder();
  SandboxFolder(const SandboxFolder&) = delete;
  SandboxFolder& operator=(const SandboxFolder&) = delete;

  const std::string& root() const { return root_; }
  // Creates a folder inside (and its parents); throws HostError.
  std::string MakeDir(const std::string& relative) const;

 private:
  std::string root_;
  int slot_ = -1;  // entry in the list the signal handler clears
};

// The folder for temporary files: $TMPDIR when set and not empty, else /tmp.
std::string TemporaryDirectory();

}  // namespace host
