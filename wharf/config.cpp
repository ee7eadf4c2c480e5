#include "wharf/config.h"

#include <string.h>

WHARF_INIT_PARAMS g_wharf_config;

int WharfConfigInstall(const WHARF_INIT_PARAMS* host) {
  if (host == nullptr) return 0;
  memset(&g_wharf_config, 0, sizeof g_wharf_config);
  size_t n = host->size < sizeof g_wharf_config ? host->size : sizeof g_wharf_config;
  memcpy(&g_wharf_config, host, n);
  g_wharf_config.user[sizeof g_wharf_config.user - 1] = '\0';
  g_wharf_config.password[sizeof g_wharf_config.password - 1] = '\0';
  return 1;
}
