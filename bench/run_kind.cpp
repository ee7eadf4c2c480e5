#include "bench/run_kind.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/utsname.h>

namespace {

// A 32-bit program on a 64-bit kernel sees the kernel's machine name; qemu-user
// reports the emulated processor instead. The binfmt entry confirms who runs it.
bool QemuRunsThisProcess() {
  utsname u;
  if (uname(&u) != 0 || strcmp(u.machine, "x86_64") == 0) return false;
  FILE* f = fopen("/proc/sys/fs/binfmt_misc/qemu-i386", "r");
  if (f == nullptr) return false;
  char first[16] = "";
  bool enabled = fgets(first, sizeof first, f) != nullptr && strncmp(first, "enabled", 7) == 0;
  fclose(f);
  return enabled;
}

}  // namespace

const char* RunKind() {
  // tools/bench.sh says so for every benchmark of its run.
  const char* told = getenv("BENCH_RUN");
  if (told != nullptr && (strcmp(told, "emulated") == 0 || strcmp(told, "native") == 0))
    return told;
  return QemuRunsThisProcess() ? "emulated" : "native";
}
