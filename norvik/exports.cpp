// The exports of the Norvik library and its load-time set-up.
#include "bridge/localization.h"
#include "norvik/preprocessor.h"

namespace {

Preprocessor g_preprocessor;
// The E-parameters are zeroed by the first start after the library is
// loaded only; later translations begin with the values left behind.
bool g_started_since_load = false;

__attribute__((constructor)) void SelectDefaultLanguage() {
  LocalizationSelect(nullptr, kLangCzech);
}

}  // namespace

LIB_EXPORT uint32_t PreprocessStart(PREPROC_INFO* info) {
  if (info == nullptr) return 0;
  PreprocessorStart(&g_preprocessor, info, !g_started_since_load);
  g_started_since_load = true;
  return 0;
}

LIB_EXPORT uint32_t PreprocessCont(PREPROC_INFO* info) {
  if (info == nullptr) return 2;
  return PreprocessorCont(&g_preprocessor, info);
}

LIB_EXPORT uint32_t PreprocessStop(PREPROC_INFO*) {
  PreprocessorStop(&g_preprocessor);
  return 0;
}

// The program-view family, so that the host can treat this library like
// the view libraries: each does nothing and returns 0.
LIB_EXPORT uint32_t ViewStart(void*) { return 0; }
LIB_EXPORT uint32_t ViewCont(void*) { return 0; }
LIB_EXPORT uint32_t ViewStop(void*) { return 0; }
LIB_EXPORT uint32_t TransformStart(void*) { return 0; }
LIB_EXPORT uint32_t TransformCont(void*) { return 0; }
LIB_EXPORT uint32_t TransformStop(void*) { return 0; }
