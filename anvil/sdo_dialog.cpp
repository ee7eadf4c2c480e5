#include "anvil/sdo_dialog.h"

namespace anvil {
namespace {

constexpr uint8_t kKeyNext = 1, kKeyPrevious = 2, kKeySign = 63, kKeyEmpty = 46;

uint32_t Length(const char* text) {
  uint32_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

}  // namespace

void SdoDialogReset(SdoDialog* d) {
  for (char* text : d->text) text[0] = '\0';
  d->focus = kSdoReadWrite;
}

bool SdoDialogKey(SdoDialog* d, uint8_t key) {
  if (d->focus >= kSdoFields) d->focus = kSdoReadWrite;
  char* text = d->text[d->focus];
  const uint32_t n = Length(text), room = kSdoLengths[d->focus];
  if (key == kKeyNext || key == kKeyPrevious) {
    d->focus = (d->focus + (key == kKeyNext ? 1 : kSdoFields - 1)) % kSdoFields;
    return true;
  }
  if (key >= '0' && key <= '9') {
    if (n >= room) return false;
    text[n] = static_cast<char>(key);
    text[n + 1] = '\0';
    return true;
  }
  if (key == kKeyEmpty) {
    text[0] = '\0';
    return n > 0;
  }
  if (key != kKeySign) return false;
  if (text[0] == '-') {
    for (uint32_t i = 0; i < n; ++i) text[i] = text[i + 1];
    return true;
  }
  if (n >= room) return false;
  for (uint32_t i = n + 1; i > 0; --i) text[i] = text[i - 1];
  text[0] = '-';
  return true;
}

uint32_t SdoNumber(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  uint64_t magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text)
    if (magnitude <= 0xFFFFFFFFull) magnitude = magnitude * 10 + static_cast<uint32_t>(*text - '0');
  const uint32_t value = magnitude > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(magnitude);
  return negative ? 0u - value : value;
}

}  // namespace anvil
