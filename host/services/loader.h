// Loads a library the way the control's main program does: dlopen, then
// bind each export by name. Plain exports are found by their C name;
// namespaced exports ("Kerf::ViewStart") by their demangled name, looked up
// in the library's dynamic symbol table.
#pragma once

#include <map>
#include <string>

namespace host {

class Library {
 public:
  Library() = default;
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Loads `path`; on failure returns false and sets *error.
  bool Open(const std::string& path, std::string* error);
  void Close();
  bool is_open() const { return handle_ != nullptr; }

  // Address of an export, or null. `name` is a C name or "Namespace::Name".
  void* Symbol(const std::string& name) const;

  template <typename Fn>
  Fn Bind(const std::string& name) const {
    return reinterpret_cast<Fn>(Symbol(name));
  }

  // Demangled names (without parameter lists) of every defined export.
  const std::map<std::string, std::string>& exports() const { return exports_; }

 private:
  void* handle_ = nullptr;
  std::map<std::string, std::string> exports_;  // demangled name -> symbol
};

// Path of a deliverable: <lib dir>/lib<Name>.so. The folder is taken from
// the environment variable HOSTSIM_LIB_DIR, else next to the executable
// (../lib).
std::string LibraryPath(const std::string& name);

}  // namespace host
