// Wharf's initialisation and polling entry: the configuration, the stack
// and the engine's pass.
#include "bridge/host_api.h"
#include "wharf/config.h"
#include "wharf/engine.h"
#include "wharf/tcpip/tcp_api.h"

namespace {
bool g_initialised = false;
}  // namespace

__attribute__((weak)) void WharfEngineReset() {}
__attribute__((weak)) void WharfEnginePass() {}

bool WharfInitialised() { return g_initialised; }

LIB_EXPORT int wharfInit(WHARF_INIT_PARAMS* params) {
  if (!WharfConfigInstall(params)) return 0;
  tcpip::StackReset();
  tcpip::StackClockSample();
  WharfEngineReset();
  g_initialised = true;
  return 1;
}

LIB_EXPORT int wharfCont() {
  if (!g_initialised) return 0;
  tcpip::StackClockSample();
  tcpip::StackPass();
  WharfEnginePass();
  return 0;
}
