// Installation of the language files through libTracer's CopyToSysfiles,
// over the simulator's file services with a current directory.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/services/loader.h"
#include "tests/support/sandbox.h"
#include "tracer/language_files.h"

namespace {

using Files = std::map<std::string, std::string>;  // DOS path -> contents

constexpr const char* kSys = "c:\\sys\\";
constexpr const char* kNames[] = {"RSPETSCR", "RSTCHSCR", "RSPICT"};

std::string Sys(const std::string& name) { return std::string(kSys) + name; }
std::string Cwd(const std::string& name) { return "c:\\cwd\\" + name; }

struct Fault {
  int slot = -1;
  int nth = 0;
  int8_t status = 0;   // 0: the dispatch itself fails
  bool absent = false; // the slot's handle is 0
};

class Installer {
 public:
  explicit Installer(const Files& before) {
    box.files().SetCurrentDirectory("c:\\cwd\\");
    box.Write(Cwd(".keep"), "");
    box.Write(Sys(".keep"), "");
    for (const auto& [path, text] : before) box.Write(path, text);
    std::string error;
    EXPECT_TRUE(library.Open(testing_support::LibraryFile("Tracer"), &error)) << error;
  }
  int Run(uint32_t language, const char* dir = kSys, const char* alt = "", Fault fault = {}) {
    auto fsp_init = library.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
    auto install = library.Bind<int (*)(const _COTOSS*)>("CopyToSysfiles");
    if (fsp_init == nullptr || install == nullptr) return 999;
    FSP_INIT_PARAMS table = box.files().table();
    if (fault.absent) table.handles[fault.slot] = 0;
    else if (fault.slot >= 0 && fault.status != 0) box.files().FailCall(fault.slot, fault.nth, fault.status);
    else if (fault.slot >= 0) box.files().FailDispatch(fault.slot, fault.nth);
    fsp_init(&table);
    const _COTOSS record{sizeof(_COTOSS), alt, dir, language};
    return install(&record);
  }
  // "(none)" for a missing file, else its contents.
  std::string At(const std::string& path) const { return box.Exists(path) ? box.Read(path) : "(none)"; }

  testing_support::Sandbox box;
  host::Library library;
};

struct InstallCase {
  const char* why;
  uint32_t language;
  const char* dir;  // system directory at offset 6 ("-" takes offset 2)
  Files before;
  Fault fault;
  int result;
  Files after;      // "(none)" for a file that must not exist
};

const InstallCase kCases[] = {
    {"English variants over the installed files, one backup each", 9, kSys,
     {{Sys("RSPETSCR.KNF"), "p0"}, {Sys("RSTCHSCR.KNF"), "t0"}, {Sys("RSPICT.KNF"), "i0"},
      {Cwd("RSPETSCR.ENG"), "pE"}, {Cwd("RSTCHSCR.ENG"), "tE"}, {Cwd("RSPICT.ENG"), "iE"}},
     {}, 0,
     {{Sys("RSPETSCR.KNF"), "pE"}, {Sys("RSTCHSCR.KNF"), "tE"}, {Sys("RSPICT.KNF"), "iE"},
      {Sys("RSPETSCR.BAK"), "p0"}, {Sys("RSTCHSCR.BAK"), "t0"}, {Sys("RSPICT.BAK"), "i0"},
      {Sys("RSPETSCR.TMP"), "(none)"}, {Cwd("RSPETSCR.ENG"), "pE"}}},
    {"a second call keeps the backups and replaces only the installed files", 7, kSys,
     {{Sys("RSPETSCR.KNF"), "pE"}, {Sys("RSTCHSCR.KNF"), "tE"}, {Sys("RSPICT.KNF"), "iE"},
      {Sys("RSPETSCR.BAK"), "p0"}, {Sys("RSTCHSCR.BAK"), "t0"}, {Sys("RSPICT.BAK"), "i0"},
      {Cwd("RSPETSCR.GER"), "pG"}, {Cwd("RSTCHSCR.GER"), "tG"}, {Cwd("RSPICT.GER"), "iG"}},
     {}, 0,
     {{Sys("RSPETSCR.KNF"), "pG"}, {Sys("RSTCHSCR.KNF"), "tG"}, {Sys("RSPICT.KNF"), "iG"},
      {Sys("RSPETSCR.BAK"), "p0"}, {Sys("RSTCHSCR.BAK"), "t0"}, {Sys("RSPICT.BAK"), "i0"}}},
    {"a local file wins: copied only where the system directory lacks it", 9, kSys,
     {{Sys("RSPETSCR.KNF"), "p0"}, {Cwd("RSPETSCR.KNF"), "pL"}, {Cwd("RSTCHSCR.KNF"), "tL"},
      {Cwd("RSPICT.ENG"), "iE"}},
     {}, 0,
     {{Sys("RSPETSCR.KNF"), "p0"}, {Sys("RSTCHSCR.KNF"), "tL"}, {Sys("RSPICT.KNF"), "iE"},
      {Sys("RSPETSCR.BAK"), "(none)"}, {Sys("RSTCHSCR.BAK"), "(none)"}, {Sys("RSPICT.BAK"), "(none)"}}},
    {"a missing second variant leaves the first installed and gives -13", 12, kSys,
     {{Sys("RSTCHSCR.KNF"), "t0"}, {Cwd("RSPETSCR.FRE"), "pF"}, {Cwd("RSPICT.FRE"), "iF"}},
     {}, kLanguageFileMissing,
     {{Sys("RSPETSCR.KNF"), "pF"}, {Sys("RSTCHSCR.KNF"), "t0"}, {Sys("RSPICT.KNF"), "(none)"}}},
    {"'-' takes the alternative directory", 14, "-",
     {{Cwd("RSPETSCR.HUN"), "pH"}, {Cwd("RSTCHSCR.HUN"), "tH"}, {Cwd("RSPICT.HUN"), "iH"}},
     {}, 0, {{"c:\\alt\\RSPETSCR.KNF", "pH"}, {"c:\\alt\\RSPICT.KNF", "iH"}, {Sys("RSPETSCR.KNF"), "(none)"}}},
    {"info status 1 counts as present (the local file: nothing installed)", 9, kSys,
     {{Sys("RSPETSCR.KNF"), "p0"}, {Cwd("RSPETSCR.ENG"), "pE"}, {Cwd("RSTCHSCR.ENG"), "tE"},
      {Cwd("RSPICT.ENG"), "iE"}},
     {6, 1, 1}, 0, {{Sys("RSPETSCR.KNF"), "p0"}, {Sys("RSTCHSCR.KNF"), "tE"}}},
    {"a failed info dispatch is the host's fault, not a missing file", 9, kSys,
     {{Sys("RSPETSCR.KNF"), "p0"}, {Cwd("RSPETSCR.ENG"), "pE"}}, {6, 1, 0}, -1,
     {{Sys("RSPETSCR.KNF"), "p0"}}},
    {"an absent info service is reported as such", 9, kSys,
     {{Sys("RSPETSCR.KNF"), "p0"}, {Cwd("RSPETSCR.ENG"), "pE"}}, {6, 0, 0, true}, -128,
     {{Sys("RSPETSCR.KNF"), "p0"}}},
};

TEST(LanguageFiles, InstallCases) {
  for (const InstallCase& c : kCases) {
    SCOPED_TRACE(c.why);
    Installer installer(c.before);
    installer.box.Write("c:\\alt\\.keep", "");
    EXPECT_EQ(installer.Run(c.language, c.dir, "c:\\alt\\", c.fault), c.result);
    for (const auto& [path, text] : c.after) EXPECT_EQ(installer.At(path), text) << path;
  }
}

TEST(LanguageFiles, EveryLanguageCode) {
  const std::pair<uint32_t, const char*> codes[] = {{5, "CZE"},  {7, "GER"},  {9, "ENG"},  {12, "FRE"},
                                                    {14, "HUN"}, {21, "POL"}, {25, "RUS"}, {36, "SLO"},
                                                    {0, "CZE"},  {99, "CZE"}};
  for (const auto& [language, code] : codes) {
    SCOPED_TRACE(code);
    Files before;
    for (const char* name : kNames) before[Cwd(std::string(name) + "." + code)] = std::string(name) + code;
    Installer installer(before);
    EXPECT_EQ(installer.Run(language), 0);
    for (const char* name : kNames) EXPECT_EQ(installer.At(Sys(std::string(name) + ".KNF")), std::string(name) + code);
  }
}

// Every call of the copy, rename, delete and info services fails in turn,
// by status and by a failed dispatch: no installed file or backup is lost
// or cut short, and the failure is the result.
TEST(LanguageFiles, NoFailureCostsAFile) {
  const Files before = {{Sys("RSPETSCR.KNF"), "p0-installed"}, {Sys("RSTCHSCR.KNF"), "t0-installed"},
                        {Sys("RSTCHSCR.BAK"), "t-backup"},     {Cwd("RSPETSCR.ENG"), "pE-new"},
                        {Cwd("RSTCHSCR.ENG"), "tE-new"},       {Cwd("RSPICT.ENG"), "iE-new"}};
  int calls[14] = {};
  {
    Installer clean(before);
    ASSERT_EQ(clean.Run(9), 0);
    for (int slot : {kFspCopy, kFspRename, kFspDelete, kFspGetInfo}) calls[slot] = clean.box.files().calls(slot);
  }
  ASSERT_GT(calls[kFspDelete], 0);
  int runs = 0;
  for (int slot : {kFspCopy, kFspRename, kFspDelete, kFspGetInfo}) {
    for (int nth = 1; nth <= calls[slot]; ++nth) {
      for (int8_t status : {int8_t{-3}, int8_t{0}}) {
        SCOPED_TRACE("slot " + std::to_string(slot) + " call " + std::to_string(nth) + " status " +
                     std::to_string(status));
        Installer installer(before);
        const int result = installer.Run(9, kSys, "", {slot, nth, status});
        ++runs;
        // An info status other than a failed dispatch means "missing":
        // the operation may then go on; every other fault is the result.
        if (slot != kFspGetInfo || status == 0) {
          EXPECT_EQ(result, status == 0 ? -1 : status);
        }
        EXPECT_NE(result, 999);
        for (const char* name : kNames) {
          const std::string installed = Sys(std::string(name) + ".KNF"), backup = Sys(std::string(name) + ".BAK"),
                            temporary = Sys(std::string(name) + ".TMP");
          const std::string was = before.count(installed) ? before.at(installed) : "(none)";
          const std::string had_backup = before.count(backup) ? before.at(backup) : "(none)";
          const std::string fresh = before.at(Cwd(std::string(name) + ".ENG"));
          const std::string now = installer.At(installed);
          if (had_backup != "(none)") {
            EXPECT_EQ(installer.At(backup), had_backup) << name;
          } else if (was != "(none)") {
            EXPECT_TRUE(now == was || installer.At(backup) == was) << name;
          }
          const std::string left = installer.At(temporary);
          // A failed final rename leaves the new file under the temporary name.
          EXPECT_TRUE(now == was || now == fresh || (now == "(none)" && left == fresh)) << name << ": " << now;
          EXPECT_TRUE(left == "(none)" || left == fresh) << name << ": " << left;
        }
      }
    }
  }
  EXPECT_GT(runs, 20);
}

}  // namespace
