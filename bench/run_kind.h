// Whether this benchmark run executes natively or through a user-mode
// emulator, so that every printed figure says which it is.
#pragma once

// "emulated" (through qemu-user) or "native": as tools/bench.sh tells in
// BENCH_RUN, else as this process finds out.
const char* RunKind();
