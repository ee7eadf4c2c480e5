// The start-up every drawing library gets from the main program after it
// is loaded: its file services (FSPInit), graphics table (GDIInit) and the
// operator's language (LocalizationInit).
#pragma once

#include <stdint.h>

#include <string>

#include "bridge/fsp.h"
#include "bridge/gdi.h"
#include "host/services/loader.h"

namespace host {

// False with the reason in *error when `library` (named `name`) lacks one
// of the three exports or has no texts for `language`.
bool InitDrawingLibrary(const Library& library, const std::string& name, const FSP_INIT_PARAMS& files,
                        const GDI_INIT_PARAMS& graphics, uint32_t language, std::string* error);

}  // namespace host
