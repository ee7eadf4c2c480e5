// libTracer's technology screens and the installation of language files.
#include "bridge/host_api.h"
#include "tracer/language_files.h"
#include "tracer/technol.h"

LIB_EXPORT int CopyToSysfiles(const _COTOSS* record) {
  return record != nullptr ? InstallLanguageFiles(record) : kLanguageFileMissing;
}

namespace {
TechnolState g_technol;
}  // namespace

LIB_EXPORT int PREFIX_TECHNOL_DLL(STRUCT_TRACER* record) {
  return record != nullptr ? TechnolPrefix(&g_technol, record) : 0;
}

LIB_EXPORT int DATA_TECHNOL_DLL(STRUCT_TRACER* record) {
  return record != nullptr ? TechnolData(&g_technol, record) : 0;
}
