// Load-time set-up of the Anvil library: the Czech texts are selected until
// the host chooses the operator's language.
#include "bridge/localization.h"

namespace {
__attribute__((constructor)) void SelectDefaultLanguage() {
  LocalizationSelect(nullptr, kLangCzech);
}
}  // namespace
