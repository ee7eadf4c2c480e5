#include "anvil/panel_messages.h"

#include <string.h>

#include "anvil/anvil_init.h"
#include "anvil/file_paths.h"

namespace anvil {
namespace {

_DIR_INFO* g_info = nullptr;

uint16_t HostWord() {
  uint16_t* word = AnvilRecord().message_word;
  if (word == nullptr) return 0;
  uint16_t value;
  memcpy(&value, word, sizeof value);
  return value;
}

}  // namespace

void MessagesBind(_DIR_INFO* info) { g_info = info; }

void RaiseHostMessage(uint16_t number) {
  if (HostWord() != 0) return;
  if (g_info != nullptr && g_info->message != 0) return;
  AnvilRaiseMessage(number);
}

void SetPanelPathMessage(uint32_t number, const char* path) {
  if (g_info == nullptr) return;
  g_info->message = number;
  char text[62];
  MessagePath(path, text);
  memcpy(g_info->message_text, text, sizeof text);
}

void SetPanelFtpError(const char* text) {
  if (g_info == nullptr || g_info->message != 0) return;
  g_info->message = kMsgFtpError;
  size_t n = strlen(text);
  if (n > 61) n = 61;
  memcpy(g_info->message_text, text, n);
  g_info->message_text[n] = '\0';
}

bool PanelClockMs(uint32_t* ms) {
  if (g_info == nullptr || g_info->ticks == nullptr || g_info->frequency < 1000) return false;
  uint32_t count = *g_info->ticks;
  if (g_info->counts_down) count = ~count;
  *ms = count / (g_info->frequency / 1000);
  return true;
}

}  // namespace anvil
