// The preprocessor's exports of the program-view family. This library has
// no preprocessor: the host may bind and call them like those of the
// preprocessing library, and each returns 0 without doing anything.
#include "bridge/host_api.h"

namespace ISO {
LIB_EXPORT_CPP uint32_t PreprocessStart(void*) { return 0; }
LIB_EXPORT_CPP uint32_t PreprocessCont(void*) { return 0; }
LIB_EXPORT_CPP uint32_t PreprocessStop(void*) { return 0; }
}  // namespace ISO

LIB_EXPORT uint32_t PreprocessStart(void*) { return 0; }
LIB_EXPORT uint32_t PreprocessCont(void*) { return 0; }
LIB_EXPORT uint32_t PreprocessStop(void*) { return 0; }
