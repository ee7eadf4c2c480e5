// The start-up every library that draws gets from the main program after it
// is loaded: its file services (FSPInit), its graphics table (GDIInit) and
// the operator's language (LocalizationInit). Libraries that draw through
// the display block (Tracer, Mosaic) take no graphics table; the NC program
// viewer takes no file services.
#pragma once

#include <stdint.h>

#include <string>

#include "bridge/fsp.h"
#include "bridge/gdi.h"
#include "host/services/loader.h"

namespace host {

// Calls FSPInit, GDIInit and LocalizationInit in this order; a null table
// leaves its export out (neither required nor called). False with the
// reason in *error when `library` (named `name`) lacks one of the exports
// it needs or has no texts in `language`.
bool InitDrawingLibrary(const Library& library, const std::string& name, const FSP_INIT_PARAMS* files,
                        const GDI_INIT_PARAMS* graphics, uint32_t language, std::string* error);

}  // namespace host
