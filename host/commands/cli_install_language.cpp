// hostsim install-language --sysdir DIR --cwd DIR [--lang N]
//   copies two folders into a sandbox as the control's system directory
//   (c:\sys\) and the host's current directory (c:\cwd\), calls libTracer's
//   CopyToSysfiles and lists both folders before and after.
#include <dirent.h>
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/services/file_services.h"
#include "host/services/loader.h"
#include "host/services/sandbox_folder.h"
#include "tracer/language_files.h"

namespace host {
namespace {

constexpr uint64_t kLargestFile = 1 << 20;

std::vector<std::string> RegularFiles(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) throw HostError(dir + ": cannot read the folder");
  while (dirent* e = readdir(d)) {
    struct stat st;
    if (stat((dir + "/" + e->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(e->d_name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

// One line per file: name, size and the start of its first line, which
// tells the language variants apart.
void List(const char* title, const std::string& dir) {
  printf("%s\n", title);
  const std::vector<std::string> names = RegularFiles(dir);
  if (names.empty()) printf("  (empty)\n");
  for (const std::string& name : names) {
    const std::string text = ReadInputFile(dir + "/" + name, kLargestFile);
    std::string first = text.substr(0, text.find_first_of("\r\n"));
    if (first.size() > 40) first.resize(40);
    printf("  %-14s %6zu  %s\n", name.c_str(), text.size(), first.c_str());
  }
}

void CopyFolder(const std::string& from, const std::string& to) {
  for (const std::string& name : RegularFiles(from)) CopyFromInput(from + "/" + name, to + "/" + name);
}

int InstallLanguage(const ParsedArgs& args) {
  const std::string sysdir = args.Text("--sysdir"), cwd = args.Text("--cwd");
  SandboxFolder sandbox("install-language");
  const std::string sys_root = sandbox.MakeDir("c/sys"), cwd_root = sandbox.MakeDir("c/cwd");
  CopyFolder(sysdir, sys_root);
  CopyFolder(cwd, cwd_root);
  FileServices files(sandbox.root());
  files.SetCurrentDirectory("c:\\cwd\\");

  std::string error;
  Library library;
  if (!library.Open(LibraryPath("Tracer"), &error)) throw HostError(error);
  auto fsp_init = library.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
  auto install = library.Bind<int (*)(const _COTOSS*)>("CopyToSysfiles");
  if (fsp_init == nullptr || install == nullptr) throw HostError("libTracer lacks FSPInit or CopyToSysfiles");
  fsp_init(&files.table());

  List("system directory before:", sys_root);
  List("current directory before:", cwd_root);
  _COTOSS record{sizeof(_COTOSS), "c:\\sys\\", "c:\\sys\\", static_cast<uint32_t>(args.Int("--lang"))};
  const int result = install(&record);
  List("system directory after:", sys_root);
  List("current directory after:", cwd_root);
  printf("result: %d (%s files)\n", result, LanguageFileCode(record.language));
  if (result == kLanguageFileMissing) return LibraryFailure("a language variant is missing (-13)");
  if (result != 0) return LibraryFailure("a file service failed with status " + std::to_string(result));
  return kExitOk;
}

CommandRegistration install_language_command({"install-language",
    "installs the language variants of the screen files (libTracer) in a sandbox copy of two folders", {
    Text("--sysdir", "DIR", "folder copied in as the system directory c:\\sys\\").Required(),
    Text("--cwd", "DIR", "folder copied in as the host's current directory").Required(),
    LanguageOption(),
}, InstallLanguage});

}  // namespace
}  // namespace host
