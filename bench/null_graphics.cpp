#include "bench/null_graphics.h"

namespace {

int NullDispatch(uint32_t, int, ...) { return 1; }

GDI_INIT_PARAMS MakeTable() {
  GDI_INIT_PARAMS t{};
  t.size = sizeof t;
  t.dispatch = NullDispatch;
  for (uint8_t i = 0; i < 16; ++i) t.color_map[i] = i;
  for (uint32_t i = 0; i < 45; ++i) t.handles[i] = i + 1;
  return t;
}

}  // namespace

const GDI_INIT_PARAMS& NullGraphicsTable() {
  static const GDI_INIT_PARAMS table = MakeTable();
  return table;
}
