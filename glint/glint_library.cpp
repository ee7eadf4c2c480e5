// The exports of libGlint.so besides FSPInit (from the bridge).
#include "bridge/host_api.h"
#include "glint/scope.h"

namespace {
Scope g_scope;
}  // namespace

LIB_EXPORT int PREFIX_GLINT(_GLINT* record) {
  if (record != nullptr) ScopePrefix(&g_scope, record);
  return 0;
}

LIB_EXPORT int DATA_GLINT(_GLINT* record) {
  if (record != nullptr) ScopeData(&g_scope, record);
  return 0;
}
