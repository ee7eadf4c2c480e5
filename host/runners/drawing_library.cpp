#include "host/runners/drawing_library.h"

namespace host {

bool InitDrawingLibrary(const Library& library, const std::string& name, const FSP_INIT_PARAMS& files,
                        const GDI_INIT_PARAMS& graphics, uint32_t language, std::string* error) {
  auto fsp_init = library.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
  auto gdi_init = library.Bind<int (*)(const GDI_INIT_PARAMS*)>("GDIInit");
  auto loc_init = library.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  if (!fsp_init || !gdi_init || !loc_init) {
    if (error) *error = name + " lacks FSPInit, GDIInit or LocalizationInit";
    return false;
  }
  fsp_init(&files);
  gdi_init(&graphics);
  if (!loc_init(nullptr, language)) {
    if (error) *error = name + " has no texts for language " + std::to_string(language);
    return false;
  }
  return true;
}

}  // namespace host
