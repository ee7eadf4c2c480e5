// The two conversions into the control's character set. The argument is
// taken as the whole 32-bit slot the caller pushed and only its low byte
// (code unit) is used, whatever a caller left above it; the result has its
// upper 24 bits clear. The tables are the bridge's.
#include "bridge/charset.h"
#include "bridge/host_api.h"

LIB_EXPORT uint32_t WinToZORV_DLL(uint32_t slot) { return ZorvFromCp1250(static_cast<uint8_t>(slot & 0xFF)); }

LIB_EXPORT uint32_t UnicodeToZORV_DLL(uint32_t slot) {
  return ZorvFromUnicode(static_cast<uint16_t>(slot & 0xFFFF));
}
