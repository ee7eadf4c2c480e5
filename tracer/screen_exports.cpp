// libTracer's technology screens and the installation of language files.
#include "bridge/host_api.h"
#include "tracer/language_files.h"

LIB_EXPORT int CopyToSysfiles(const _COTOSS* record) {
  return record != nullptr ? InstallLanguageFiles(record) : kLanguageFileMissing;
}
