// Anvil's exports over text files: marking texts of a cutting program into
// the shared text store, and a parameter table into program text.
#include "anvil/anvil_init.h"
#include "anvil/kerf_texts.h"
#include "anvil/params_convert.h"
#include "bridge/host_api.h"

LIB_EXPORT uint32_t ReadKerfTexts(_KERFTEXTS* record) {
  return anvil::ReadKerfTextsInto(record, AnvilRecord().shared_memory);
}

LIB_EXPORT uint32_t ParamsValuesConvert(_PARAMS_CONVERT* record) { return anvil::ParamsConvert(record); }
