// The LocalizationInit and GetLocString exports every library carries.
#include "bridge/localization.h"

LIB_EXPORT int LocalizationInit(void* image, uint32_t language) {
  return LocalizationSelect(image, language);
}

LIB_EXPORT const char* GetLocString(uint32_t id) { return LocText(id); }
