#include "host/runners/mosaic_runner.h"

#include <string.h>

#include "host/runners/drawing_library.h"

namespace host {

uint32_t EncodeBcd(int64_t value) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  uint32_t word = 0;
  for (int k = 0; k < 8; ++k, magnitude /= 10) word |= static_cast<uint32_t>(magnitude % 10) << (4 * k);
  return value < 0 ? word | 0x80000000u : word;
}

MosaicRunner::MosaicRunner(DisplayServices& display, HostMemory& memory) : memory_(memory) {
  services_.size = sizeof services_;
  services_.dispatch = display.dispatch();
  services_.serviceBlock = display.block();
  dial_.serviceBlock = display.block();
  dial_.services = &services_;
  led_.serviceBlock = display.block();
  led_.services = &services_;
  led_.hostMemory = memory.data();
  led_.firstOut = &first_;
  led_.secondOut = &second_;
  led_.coordinateWords = words_;
}

bool MosaicRunner::Load(FileServices& files, uint32_t language, std::string* error) {
  if (!library_.Open(LibraryPath("Mosaic"), error)) return false;
  return InitDrawingLibrary(library_, "libMosaic", &files.table(), nullptr, language, error);
}

void MosaicRunner::SetCorrection(int32_t eighths) { memory_.Set<int32_t>(kMemHeightCorrection2, eighths); }

void MosaicRunner::SetTransform(MosaicTransform state) {
  uint8_t flags = memory_.Get<uint8_t>(kMemTransformFlags) & ~0x02;
  uint8_t variant = memory_.Get<uint8_t>(kMemTransformVariant) & ~0x18;
  if (state != MosaicTransform::kOff) flags |= 0x02;
  if (state == MosaicTransform::kVariantA) variant |= 0x08;
  if (state == MosaicTransform::kVariantB) variant |= 0x10;
  memory_.Set<uint8_t>(kMemTransformFlags, flags);
  memory_.Set<uint8_t>(kMemTransformVariant, variant);
}

void MosaicRunner::SetCoefficient(int k, long double value) {
  uint8_t* at = memory_.At(kMemTransformCoefficients + 10 * static_cast<uint32_t>(k), 10);
  if (at != nullptr && k >= 0 && k < 9) memcpy(at, &value, 10);
}

int MosaicRunner::Call(const char* name, const void* record) {
  auto fn = library_.Bind<int (*)(const void*)>(name);
  return fn != nullptr ? fn(record) : -1;
}

int MosaicRunner::DialStart() { return Call("DLL_COMMON_DIAL_START", &dial_); }
int MosaicRunner::DialCont() { return Call("DLL_COMMON_DIAL_CONT", &dial_); }
int MosaicRunner::DialStop() { return Call("DLL_COMMON_DIAL_STOP", &dial_); }

int MosaicRunner::DrawLed() {
  led_.mode = 0;
  return Call("DLL_DISPLAY_WIN_LED", &led_);
}

int MosaicRunner::Convert(uint32_t word230, uint32_t word229, double* first, double* second) {
  led_.mode = kDisplayWlConvert;
  words_[kCoordinateWordFirst] = word230;
  words_[kCoordinateWordSecond] = word229;
  first_ = second_ = -12345.0;  // a value the library must overwrite
  const int status = Call("DLL_DISPLAY_WIN_LED", &led_);
  *first = first_;
  *second = second_;
  return status;
}

}  // namespace host
