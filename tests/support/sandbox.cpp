#include "tests/support/sandbox.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {

Sandbox::Sandbox() {
  char pattern[] = "/tmp/hostsim-test-XXXXXX";
  root_ = mkdtemp(pattern);
  mkdir((root_ + "/c").c_str(), 0755);
  files_ = new host::FileServices(root_);
}

Sandbox::~Sandbox() {
  delete files_;
  std::filesystem::remove_all(root_);
}

void Sandbox::Write(const std::string& dos_path, const std::string& content) {
  std::string path = files_->Resolve(dos_path);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string Sandbox::Read(const std::string& dos_path) const {
  std::ifstream in(files_->Resolve(dos_path), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Sandbox::Exists(const std::string& dos_path) const {
  std::string p = files_->Resolve(dos_path);
  return !p.empty() && std::filesystem::exists(p);
}

std::string LibraryFile(const std::string& name) {
  return std::string(TEST_LIB_DIR) + "/lib" + name + ".so";
}

}  // namespace testing_support
