// The view exports: the generic ones dispatch on the program format chosen
// by the last ViewStart; the Kerf:: and ISO:: ones are the views themselves.
#include "kerf/iso_view.h"
#include "kerf/view.h"

namespace {
enum class Format : uint8_t { kNone, kKerf, kIso };
Format g_format = Format::kNone;
}  // namespace

namespace Kerf {
LIB_EXPORT_CPP uint32_t ViewStart(VIEW_INFO* info) { return KerfViewStart(TheKerfView(), info); }
LIB_EXPORT_CPP uint32_t ViewCont(VIEW_INFO* info) { return KerfViewCont(TheKerfView(), info); }
LIB_EXPORT_CPP uint32_t ViewStop(VIEW_INFO*) { return KerfViewStop(TheKerfView()); }
LIB_EXPORT_CPP uint32_t ShapePartSel(VIEW_INFO* info) { return KerfShapePartSel(TheKerfView(), info); }
}  // namespace Kerf

namespace ISO {
LIB_EXPORT_CPP uint32_t ViewStart(VIEW_INFO* info) { return IsoViewStart(TheIsoView(), info); }
LIB_EXPORT_CPP uint32_t ViewCont(VIEW_INFO* info) { return IsoViewCont(TheIsoView(), info); }
LIB_EXPORT_CPP uint32_t ViewStop(VIEW_INFO*) { return IsoViewStop(TheIsoView()); }
}  // namespace ISO

LIB_EXPORT uint32_t ViewStart(VIEW_INFO* info) {
  g_format = info->format != 0 ? Format::kKerf : Format::kIso;
  return g_format == Format::kKerf ? Kerf::ViewStart(info) : ISO::ViewStart(info);
}

LIB_EXPORT uint32_t ViewCont(VIEW_INFO* info) {
  switch (g_format) {
    case Format::kKerf: return Kerf::ViewCont(info);
    case Format::kIso: return ISO::ViewCont(info);
    default: return 0;
  }
}

LIB_EXPORT uint32_t ViewStop(VIEW_INFO* info) {
  switch (g_format) {
    case Format::kKerf: return Kerf::ViewStop(info);
    case Format::kIso: return ISO::ViewStop(info);
    default: return 0;
  }
}

LIB_EXPORT uint32_t ShapePartSel(VIEW_INFO* info) { return Kerf::ShapePartSel(info); }
