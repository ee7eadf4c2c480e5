#include "mosaic/led_window.h"

#include "bridge/display.h"
#include "bridge/text_buffer.h"

namespace {

constexpr uint32_t kLedFont = 10;
constexpr int kLedX = 128, kCorrectionY = 424, kTransformY = 408;
constexpr int kCorrectionWidth = 8;  // characters the value occupies

uint32_t PackXY(int x, int y) { return static_cast<uint32_t>(x) | static_cast<uint32_t>(y) << 16; }

uint8_t MemoryByte(const uint8_t* memory, uint32_t offset) { return memory != nullptr ? memory[offset] : 0; }

// An x87 extended value from ten little-endian bytes of host memory, taken
// one byte at a time (the block gives no alignment).
long double ReadExtended(const uint8_t* bytes) {
  long double value = 0;
  uint8_t* raw = reinterpret_cast<uint8_t*>(&value);
  for (int i = 0; i < 10; ++i) raw[i] = bytes[i];
  return value;
}

}  // namespace

void FormatHeightCorrection(int32_t eighths, char* out) {
  const int32_t micrometres = eighths / 8;  // truncated toward zero; never overflows
  const uint32_t magnitude = micrometres < 0 ? 0u - static_cast<uint32_t>(micrometres)
                                             : static_cast<uint32_t>(micrometres);
  TextBuffer b = MakeTextBuffer(out, 16);
  if (micrometres < 0) TextAppendChar(&b, '-');
  TextAppendUnsigned(&b, magnitude / 1000);
  TextAppendChar(&b, '.');
  const uint32_t fraction = magnitude % 1000;
  if (fraction < 10) TextAppend(&b, "00");
  else if (fraction < 100) TextAppendChar(&b, '0');
  TextAppendUnsigned(&b, fraction);
}

double DecodeBcdCoordinate(uint32_t word) {
  const uint32_t digits = word & 0x7FFFFFFFu;
  double value = 0, scale = 1;
  for (int k = 0; k < 8; ++k, scale *= 10) value += static_cast<double>(digits >> (4 * k) & 0xF) * scale;
  return word >> 31 ? -value : value;
}

TransformState ReadTransformState(const uint8_t* memory) {
  if ((MemoryByte(memory, kMemTransformFlags) & 0x02) == 0) return TransformState::kInactive;
  switch (MemoryByte(memory, kMemTransformVariant) >> 3 & 0x3) {
    case 1: return TransformState::kVariantA;
    case 2: return TransformState::kVariantB;
    default: return TransformState::kActiveOther;
  }
}

void ConvertCoordinates(const uint8_t* memory, uint32_t word_first, uint32_t word_second, double* first,
                        double* second) {
  const double a = DecodeBcdCoordinate(word_first), b = DecodeBcdCoordinate(word_second);
  if (ReadTransformState(memory) == TransformState::kInactive) {
    *first = a;
    *second = b;
    return;
  }
  const uint8_t* m = memory + kMemTransformCoefficients;
  const long double la = a, lb = b;
  *first = static_cast<double>(ReadExtended(m) * la + ReadExtended(m + 10) * lb);
  *second = static_cast<double>(ReadExtended(m + 30) * la + ReadExtended(m + 40) * lb);
}

void DrawLedWindow(const LedPalette& palette, const uint8_t* memory) {
  int32_t eighths = 0;
  if (memory != nullptr) eighths = RecordGet<int32_t>(memory, kMemHeightCorrection2);
  char value[16];
  FormatHeightCorrection(eighths, value);
  char line[40];
  TextBuffer b = MakeTextBuffer(line, sizeof line);
  TextAppend(&b, "CORR HiSe2: ");
  TextAppend(&b, value);
  const uint32_t length = b.length - 12;
  if (length >= 5 && length < kCorrectionWidth) TextAppendRepeat(&b, ' ', kCorrectionWidth - length);
  DisplayTextForm(PackXY(kLedX, kCorrectionY), kLedFont, palette.bytes[20], palette.bytes[29]);
  DisplayWriteText(line);

  DisplayTextForm(PackXY(kLedX, kTransformY), kLedFont, palette.bytes[20], palette.bytes[29]);
  DisplayWriteText("Transf: ");
  DisplaySetColors(palette.bytes[33], palette.bytes[29]);
  switch (ReadTransformState(memory)) {
    case TransformState::kInactive: DisplayWriteText("---"); break;
    case TransformState::kVariantA: DisplayWriteText("-A-"); break;
    case TransformState::kVariantB: DisplayWriteText("-B-"); break;
    case TransformState::kActiveOther: break;
  }
}
