#include "host/screen/text.h"

#include "bridge/charset.h"

namespace host {

namespace {
void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}
}  // namespace

std::string ZorvToUtf8(const std::string& zorv) {
  std::string out;
  for (unsigned char c : zorv) {
    uint32_t cp = ZorvToUnicode(c);
    AppendUtf8(out, cp == 0 && c != 0 ? 0xFFFD : cp);
  }
  return out;
}

std::string Utf8ToZorv(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    uint32_t cp = c;
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : 3;
    if (extra > 0) cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
    i += 1 + extra;
    out += static_cast<char>(cp <= 0xFFFF ? ZorvFromUnicode(static_cast<uint16_t>(cp)) : '.');
  }
  return out;
}

}  // namespace host
