// The exports of the zero-offset forms. They share the one open form with
// the correction forms (one form at a time).
#include "bridge/host_api.h"
#include "tracer/offset_forms.h"

FormState* OpenForm();  // the correction forms' state (tracer_exports.cpp)

namespace {
HardwiredForm g_hardwired;
}  // namespace

LIB_EXPORT int DLL_PREFIX_INPOSUN(STRUCT_TRACER* record) {
  return record != nullptr ? FormPrefix(OpenForm(), record, &kInposun) : 0;
}
LIB_EXPORT int DLL_DATA_INPOSUN(STRUCT_TRACER* record) { return FormData(OpenForm(), record); }

LIB_EXPORT int DLL_PREFIX_INPOSUN_ZAPIS(STRUCT_TRACER* record) {
  return record != nullptr ? FormPrefix(OpenForm(), record, &kInposunZapis) : 0;
}
LIB_EXPORT int DLL_DATA_INPOSUN_ZAPIS(STRUCT_TRACER* record) { return FormData(OpenForm(), record); }

LIB_EXPORT int DLL_PREFIX_INPOSUN_ZAPIS_FIX(STRUCT_TRACER* record) {
  return record != nullptr ? FormPrefix(OpenForm(), record, &kInposunZapisFix) : 0;
}
LIB_EXPORT int DLL_DATA_INPOSUN_ZAPIS_FIX(STRUCT_TRACER* record) { return FormData(OpenForm(), record); }

LIB_EXPORT int DLL_PREFIX_POSUN_ZAPIS_NATVRDO(STRUCT_TRACER* record) {
  return record != nullptr ? HardwiredPrefix(&g_hardwired, record) : 0;
}
LIB_EXPORT int DLL_DATA_POSUN_ZAPIS_NATVRDO(STRUCT_TRACER* record) { return HardwiredData(&g_hardwired, record); }
