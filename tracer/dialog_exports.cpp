// The transformation dialog's exports (one dialog at a time).
#include "bridge/host_api.h"
#include "tracer/transform_dialog.h"

namespace {
TransformDialog g_dialog;
}  // namespace

LIB_EXPORT int DLL_PREFIX_TRANSFORMACE(STRUCT_TRACER* record) {
  return record != nullptr ? TransformPrefix(&g_dialog, record) : 0;
}
LIB_EXPORT int DLL_DATA_TRANSFORMACE(STRUCT_TRACER* record) { return TransformData(&g_dialog, record); }
