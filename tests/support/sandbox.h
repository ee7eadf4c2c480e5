// A fresh sandbox folder with the host's file services over it, for tests.
#pragma once

#include <string>

#include "host/services/file_services.h"

namespace testing_support {

class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  host::FileServices& files() { return *files_; }
  // Writes a file at a DOS path (folders are created).
  void Write(const std::string& dos_path, const std::string& content);
  // Contents of a file at a DOS path ("" when missing; see Exists).
  std::string Read(const std::string& dos_path) const;
  bool Exists(const std::string& dos_path) const;
  const std::string& root() const { return root_; }

 private:
  std::string root_;
  host::FileServices* files_;
};

// Path of a built deliverable library.
std::string LibraryFile(const std::string& name);

}  // namespace testing_support
