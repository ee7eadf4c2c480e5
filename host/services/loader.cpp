#include "host/services/loader.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <elf.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace host {

namespace {

// Reads the names of the defined, global symbols of an ELF32 shared object.
std::vector<std::string> DynamicSymbols(const std::string& path) {
  std::vector<std::string> names;
  std::ifstream in(path, std::ios::binary);
  std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (file.size() < sizeof(Elf32_Ehdr)) return names;
  Elf32_Ehdr eh;
  memcpy(&eh, file.data(), sizeof eh);
  if (memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS32) return names;
  if (eh.e_shoff == 0 || eh.e_shoff + size_t{eh.e_shnum} * sizeof(Elf32_Shdr) > file.size()) return names;
  std::vector<Elf32_Shdr> sections(eh.e_shnum);
  memcpy(sections.data(), file.data() + eh.e_shoff, eh.e_shnum * sizeof(Elf32_Shdr));
  for (const Elf32_Shdr& s : sections) {
    if (s.sh_type != SHT_DYNSYM || s.sh_link >= sections.size()) continue;
    const Elf32_Shdr& strtab = sections[s.sh_link];
    if (s.sh_offset + s.sh_size > file.size() || strtab.sh_offset + strtab.sh_size > file.size()) break;
    size_t count = s.sh_size / sizeof(Elf32_Sym);
    for (size_t i = 0; i < count; ++i) {
      Elf32_Sym sym;
      memcpy(&sym, file.data() + s.sh_offset + i * sizeof sym, sizeof sym);
      if (sym.st_shndx == SHN_UNDEF || ELF32_ST_BIND(sym.st_info) == STB_LOCAL) continue;
      if (sym.st_name >= strtab.sh_size) continue;
      names.emplace_back(file.data() + strtab.sh_offset + sym.st_name);
    }
  }
  return names;
}

// "Kerf::ViewStart(VIEW_INFO*)" -> "Kerf::ViewStart".
std::string Demangled(const std::string& symbol) {
  int status = 0;
  char* d = abi::__cxa_demangle(symbol.c_str(), nullptr, nullptr, &status);
  if (status != 0 || d == nullptr) return symbol;
  std::string s = d;
  free(d);
  size_t paren = s.find('(');
  return paren == std::string::npos ? s : s.substr(0, paren);
}

}  // namespace

Library::~Library() { Close(); }

bool Library::Open(const std::string& path, std::string* error) {
  Close();
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    if (error) *error = dlerror();
    return false;
  }
  for (const std::string& symbol : DynamicSymbols(path)) exports_[Demangled(symbol)] = symbol;
  return true;
}

void Library::Close() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
  exports_.clear();
}

void* Library::Symbol(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  auto it = exports_.find(name);
  if (it == exports_.end()) return nullptr;
  return dlsym(handle_, it->second.c_str());
}

std::string LibraryPath(const std::string& name) {
  std::string dir;
  if (const char* env = getenv("HOSTSIM_LIB_DIR")) {
    dir = env;
  } else {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
      exe[n] = '\0';
      std::string e = exe;
      dir = e.substr(0, e.find_last_of('/')) + "/../lib";
    } else {
      dir = "build/lib";
    }
  }
  return dir + "/lib" + name + ".so";
}

}  // namespace host
