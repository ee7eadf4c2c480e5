// The exports of libTracer.so besides FSPInit, LocalizationInit and
// GetLocString (from the bridge). One path screen and one form at a time.
#include "bridge/host_api.h"
#include "bridge/localization.h"
#include "tracer/form_engine.h"
#include "tracer/path_graphics.h"

namespace {

PathState g_path;
FormState g_form;

__attribute__((constructor)) void SelectDefaultLanguage() { LocalizationSelect(nullptr, kLangCzech); }

}  // namespace

// The one open form, shared with the zero-offset forms' exports.
FormState* OpenForm() { return &g_form; }

LIB_EXPORT int PREFIX_GRAFIKA_DRAHY_DLL(STRUCT_TRACER* record) {
  if (record != nullptr) PathPrefix(&g_path, record);
  return 0;
}

LIB_EXPORT int PREFIX_GRAFIKA_DRAHY_N_DLL(STRUCT_TRACER* record) {
  if (record != nullptr) PathPrefixAgain(&g_path, record);
  return 0;
}

LIB_EXPORT int RUN_GRAFIKA_DRAHY_DLL(STRUCT_TRACER* record) {
  if (record != nullptr) PathRun(&g_path, record);
  return 0;
}

LIB_EXPORT int DLL_PREFIX_INKOR(STRUCT_TRACER* record) {
  return record != nullptr ? FormPrefix(&g_form, record, &kInkor) : 0;
}
LIB_EXPORT int DLL_DATA_INKOR(STRUCT_TRACER* record) { return FormData(&g_form, record); }

LIB_EXPORT int DLL_PREFIX_INKOR2(STRUCT_TRACER* record) {
  return record != nullptr ? FormPrefix(&g_form, record, &kInkor2) : 0;
}
LIB_EXPORT int DLL_DATA_INKOR2(STRUCT_TRACER* record) { return FormData(&g_form, record); }

LIB_EXPORT int DLL_PREFIX_INKOR3(STRUCT_TRACER* record) {
  return record != nullptr ? FormPrefix(&g_form, record, &kInkor3) : 0;
}
LIB_EXPORT int DLL_DATA_INKOR3(STRUCT_TRACER* record) { return FormData(&g_form, record); }
