// How much of an exhaustive or random sweep a test runs. The sanitizer pass
// under the user-mode emulator (where AddressSanitizer's checks cost a
// hundred times the plain run) sets TEST_SCALE_PERCENT to run a sample; every
// other run goes through the whole sweep.
#pragma once

namespace testing_support {

// The percentage in TEST_SCALE_PERCENT (1 to 100), 100 when unset.
int ScalePercent();

// `count` scaled down, never below one case.
int Scaled(int count);

// Step through 1..count visiting about the scaled number of cases: always
// the first and the last, evenly spread between (1 at full scale).
int ScaledStride(int count);

}  // namespace testing_support
