// Fuzz target: the resource-tree walk that finds a string table in a
// library image, and the checks made on the table it finds.
//
// The input is the image. For every language the walk must stay inside the
// image; a table it accepts must lie inside the image, and every text of it
// must end inside the table. The table is then selected the way
// LocalizationInit selects it and every text is read back through LocText.
#include "fuzz/fuzz_check.h"
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bridge/localization.h"

namespace {

const uint32_t kLanguages[] = {kLangCzech,     kLangGerman, kLangEnglish, kLangFrench,
                               kLangHungarian, kLangPolish, kLangRussian, kLangSlovenian,
                               0,              0xFFFFFFFFu};

bool Inside(const uint8_t* p, const uint8_t* begin, const uint8_t* end) {
  return p >= begin && p < end;
}

void CheckLanguage(const uint8_t* image, uint32_t size, uint32_t language) {
  uint32_t table_size = 0;
  const uint8_t* table = FindStringTable(image, size, language, &table_size);
  if (table == nullptr) return;
  const uint8_t* end = image + size;
  FUZZ_CHECK(Inside(table, image, end) && table_size <= static_cast<uint32_t>(end - table));
  uint32_t count = 0;
  FUZZ_CHECK(table_size >= 4);
  memcpy(&count, table, 4);
  FUZZ_CHECK(count <= (table_size - 4) / 4);
  const uint8_t* table_end = table + table_size;

  // The same walk over the same bytes selects the same table; a foreign
  // image carries no size, so only an image the sized walk accepted is
  // handed over.
  FUZZ_CHECK(LocalizationSelect(image, language) == 1);
  FUZZ_CHECK(LocCount() == count);
  for (uint32_t id = 0; id < count; ++id) {
    const char* text = LocText(id);
    FUZZ_CHECK(text != nullptr);
    const uint8_t* t = reinterpret_cast<const uint8_t*>(text);
    FUZZ_CHECK(Inside(t, table, table_end));
    FUZZ_CHECK(memchr(t, 0, static_cast<size_t>(table_end - t)) != nullptr);
  }
  FUZZ_CHECK(LocText(count) == nullptr);
  FUZZ_CHECK(LocText(0xFFFFFFFFu) == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFu) return 0;
  for (uint32_t language : kLanguages) CheckLanguage(data, static_cast<uint32_t>(size), language);

  // A language that is absent leaves no table selected; the built-in
  // tables are still found afterwards.
  FUZZ_CHECK(LocalizationSelect(nullptr, 10) == 0);
  FUZZ_CHECK(LocCount() == 0 && LocText(0) == nullptr);
  FUZZ_CHECK(LocalizationSelect(nullptr, kLangCzech) == 1 && LocText(0) != nullptr);
  return 0;
}
