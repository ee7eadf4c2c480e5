#include "host/runners/drawing_library.h"

namespace host {

bool InitDrawingLibrary(const Library& library, const std::string& name, const FSP_INIT_PARAMS* files,
                        const GDI_INIT_PARAMS* graphics, uint32_t language, std::string* error) {
  auto fsp_init = library.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
  auto gdi_init = library.Bind<int (*)(const GDI_INIT_PARAMS*)>("GDIInit");
  auto loc_init = library.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  if ((files && !fsp_init) || (graphics && !gdi_init) || !loc_init) {
    // "FSPInit, GDIInit or LocalizationInit": the exports this library needs.
    std::string needed = files ? "FSPInit" : "";
    if (graphics) needed += needed.empty() ? "GDIInit" : ", GDIInit";
    needed += needed.empty() ? "LocalizationInit" : " or LocalizationInit";
    if (error) *error = name + " lacks " + needed;
    return false;
  }
  if (files) fsp_init(files);
  if (graphics) gdi_init(graphics);
  if (!loc_init(nullptr, language)) {
    if (error) *error = name + " has no texts in language " + std::to_string(language);
    return false;
  }
  return true;
}

}  // namespace host
