// The transformation exports: the generic ones go to the Kerf program
// format; the ISO format has no transformation.
#include "kerf/transform.h"

namespace Kerf {
LIB_EXPORT_CPP uint32_t TransformStart(TRANSFORM_INFO* info) {
  return KerfTransformStart(TheTransform(), info);
}
LIB_EXPORT_CPP uint32_t TransformCont(TRANSFORM_INFO* info) {
  return KerfTransformCont(TheTransform(), info);
}
}  // namespace Kerf

namespace ISO {
LIB_EXPORT_CPP uint32_t TransformStart(TRANSFORM_INFO*) { return 0; }
LIB_EXPORT_CPP uint32_t TransformCont(TRANSFORM_INFO*) { return 0; }
}  // namespace ISO

LIB_EXPORT uint32_t TransformStart(TRANSFORM_INFO* info) { return Kerf::TransformStart(info); }
LIB_EXPORT uint32_t TransformCont(TRANSFORM_INFO* info) { return Kerf::TransformCont(info); }
LIB_EXPORT uint32_t TransformStop(TRANSFORM_INFO*) { return 0; }
