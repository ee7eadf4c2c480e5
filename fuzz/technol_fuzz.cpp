// Fuzz target: the technology screens' description markup. Any text,
// offset, screen and instance through the prefix call, then data calls
// with arbitrary keys.
//
// Input layout:
//   byte 0   wanted screen number
//   byte 1   instance (any byte; only 1..3 work)
//   byte 2   offset into the text (mod its length + 1)
//   byte 3   K: number of keys, then K key bytes (as many as there are)
//   then     the description (a zero byte ends it early)
//
// The text, both byte arrays and the key bytes lie in heap blocks of
// their exact size, so AddressSanitizer reports any read past the text's
// zero and any write outside the arrays.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "tracer/technol.h"

namespace {

constexpr size_t kInputBytes = 17;   // handshake bytes up to 16
constexpr size_t kOutputBytes = 43;  // handed-over text up to 42

TechnolState g_state;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  static host::Screen screen(640, 480);
  static host::DisplayServices display(screen, host::TextStyle::kForm);
  const uint8_t screen_number = data[0], instance = data[1], offset_byte = data[2];
  size_t keys = data[3];
  data += 4;
  size -= 4;
  if (keys > size) keys = size;
  std::vector<uint8_t> key_codes(data, data + keys);
  data += keys;
  size -= keys;

  char* text = new char[size + 1];
  memcpy(text, data, size);
  text[size] = '\0';
  uint8_t* input = new uint8_t[kInputBytes]();
  uint8_t* output = new uint8_t[kOutputBytes]();
  uint8_t* key = new uint8_t(0);
  uint8_t* modifier = new uint8_t(0);
  uint32_t* position = new uint32_t(0x00200010);

  STRUCT_TRACER record{};
  record.dispatch = display.dispatch();
  record.serviceBlock = display.block();
  record.technolInput = input;
  record.technolOutput = output;
  record.technolText = text;
  record.technolTextOffset = offset_byte % (size + 1);
  record.technolInstance = instance;
  record.technolKey = key;
  record.technolKeyModifier = modifier;
  record.textPosition = position;
  display.recorder().Clear();  // the host keeps no history across inputs
  if (instance >= 1 && instance <= 3) input[2 + instance - 1] = screen_number;
  TechnolPrefix(&g_state, &record);
  if (instance >= 1 && instance <= 3) input[8 + instance - 1] = 1;
  for (uint8_t k : key_codes) {
    *key = k;
    TechnolData(&g_state, &record);
  }
  for (const TechnolInstance& inst : g_state.instances)
    for (int i = 0; i < inst.count; ++i)
      if (inst.fields[i].width > kTechnolMaxWidth) __builtin_trap();
  delete[] text;
  delete[] input;
  delete[] output;
  delete key;
  delete modifier;
  delete position;
  return 0;
}
