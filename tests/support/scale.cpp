#include "tests/support/scale.h"

#include <stdlib.h>

namespace testing_support {

int ScalePercent() {
  const char* text = getenv("TEST_SCALE_PERCENT");
  if (text == nullptr || *text == '\0') return 100;
  int percent = atoi(text);
  if (percent < 1) return 1;
  return percent > 100 ? 100 : percent;
}

int Scaled(int count) {
  int scaled = static_cast<int>(static_cast<long long>(count) * ScalePercent() / 100);
  return scaled < 1 ? 1 : scaled;
}

int ScaledStride(int count) {
  int cases = Scaled(count);
  int stride = count / cases;
  return stride < 1 ? 1 : stride;
}

}  // namespace testing_support
