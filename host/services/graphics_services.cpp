#include "host/services/graphics_services.h"

#include <algorithm>

#include "host/services/dispatch.h"
#include "host/services/draw_calls.h"
#include "host/screen/font.h"

namespace host {
namespace {

// The longest text a single GdiWriteText reads: a text box holds at most
// 255 x 255 cells, so anything beyond is never shown.
constexpr size_t kMaxText = 255 * 255 + 255;

}  // namespace

GraphicsServices::GraphicsServices(Screen& screen) : screen_(screen) {
  table_.size = sizeof(GDI_INIT_PARAMS);
  table_.dispatch = HostDispatchEntry;
  for (int k = 0; k < 16; ++k) table_.color_map[k] = static_cast<uint8_t>(k);
  Register(kGdiSetColors, "GdiSetColors", 2, &GraphicsServices::SetColors);
  Register(kGdiFillRect, "GdiFillRect", 2, &GraphicsServices::FillRect);
  Register(kGdiSetXorMode, "GdiSetXorMode", 1, &GraphicsServices::SetXorMode);
  Register(kGdiLine, "GdiLine", 3, &GraphicsServices::Line);
  Register(kGdiTriangle, "GdiTriangle", 4, &GraphicsServices::Triangle);
  Register(kGdiSaveRect, "GdiSaveRect", 3, &GraphicsServices::SaveRect);
  Register(kGdiRestoreRect, "GdiRestoreRect", 3, &GraphicsServices::RestoreRect);
  Register(kGdiTextBox, "GdiTextBox", 5, &GraphicsServices::OpenTextBox);
  Register(kGdiWriteText, "GdiWriteText", 1, &GraphicsServices::WriteText);
  Register(kGdiSlot23, "GdiSlot23", 1, &GraphicsServices::Ignore);
  Register(kGdiSlot24, "GdiSlot24", 1, &GraphicsServices::Ignore);
  Register(kGdiSlot25, "GdiSlot25", 2, &GraphicsServices::Ignore);
  Register(kGdiTextBlank, "GdiTextBlank", 1, &GraphicsServices::TextBlank);
  Register(kGdiSlot27, "GdiSlot27", 1, &GraphicsServices::Ignore);
  Register(kGdiWriteChar, "GdiWriteChar", 1, &GraphicsServices::WriteChar);
}

GraphicsServices::~GraphicsServices() {
  for (uint32_t handle : handles_) UnregisterService(handle);
}

void GraphicsServices::Register(int slot, const char* name, int count, Handler handler) {
  uint32_t handle = RegisterService(name, [this, slot, name, count, handler](int given, va_list args) {
    // A call the recorder will not keep is decoded into a reused record:
    // its argument list keeps its storage, so drawing allocates nothing.
    GdiCall fresh;
    GdiCall& call = recorder_.Keeps(slot) ? fresh : ReusedCall();
    call.slot = slot;
    call.service = name;
    call.count = given;
    int result = CountAccepted(call, count) ? (this->*handler)(call, args) : 0;
    call.result = result;
    ++calls_;
    if (&call == &fresh) recorder_.Record(std::move(call));
    return result;
  });
  table_.handles[slot] = handle;
  handles_.push_back(handle);
}

GdiCall& GraphicsServices::ReusedCall() {
  std::vector<uint32_t> storage = std::move(reused_.args);
  storage.clear();
  reused_ = GdiCall{};
  reused_.args = std::move(storage);
  return reused_;
}

int GraphicsServices::SetColors(GdiCall& call, va_list args) {
  DecodeColors(call, args, &fg_, &bg_);
  return 1;
}

int GraphicsServices::FillRect(GdiCall& call, va_list args) {
  DrawFill(screen_, call, args, fg_);
  return 1;
}

int GraphicsServices::SetXorMode(GdiCall& call, va_list args) {
  uint32_t mode = va_arg(args, uint32_t);
  call.args = {mode};
  call.value = static_cast<int>(mode);
  screen_.SetXorMode(mode != 0);
  return static_cast<int>(mode);
}

int GraphicsServices::Line(GdiCall& call, va_list args) {
  DrawLine(screen_, call, args, fg_);
  return 1;
}

int GraphicsServices::Triangle(GdiCall& call, va_list args) {
  uint32_t a = va_arg(args, uint32_t), b = va_arg(args, uint32_t), c = va_arg(args, uint32_t);
  uint32_t pattern = va_arg(args, uint32_t);
  call.args = {a, b, c, pattern};
  call.x = PackedX(a);
  call.y = PackedY(a);
  call.x2 = PackedX(b);
  call.y2 = PackedY(b);
  call.x3 = PackedX(c);
  call.y3 = PackedY(c);
  call.pattern = static_cast<uint16_t>(pattern);
  call.fg = fg_;
  screen_.Triangle(call.x, call.y, call.x2, call.y2, call.x3, call.y3, fg_);
  return 1;
}

namespace {
// The arguments of save and restore: packed top-left, packed size, buffer.
uint32_t DecodeSavedArea(GdiCall& call, va_list args) {
  uint32_t at = va_arg(args, uint32_t), size = va_arg(args, uint32_t);
  uint32_t buffer = reinterpret_cast<uint32_t>(va_arg(args, void*));
  call.args = {at, size, buffer};
  call.x = PackedX(at);
  call.y = PackedY(at);
  call.w = PackedX(size);
  call.h = PackedY(size);
  call.buffer = buffer;
  return buffer;
}
}  // namespace

int GraphicsServices::SaveRect(GdiCall& call, va_list args) {
  uint32_t buffer = DecodeSavedArea(call, args);
  if (buffer == 0) {
    call.error = "null buffer";
    return 0;
  }
  if (call.w <= 0 || call.h <= 0) {
    call.error = "empty area";
    return 0;
  }
  // Only the part on the screen is kept: a restore writes nothing beside
  // the screen, and a library's area of 32767 by 32767 pixels must not cost
  // the host a gigabyte.
  const int left = std::clamp(call.x, 0, screen_.width()), top = std::clamp(call.y, 0, screen_.height());
  const int right = static_cast<int>(std::clamp<long long>(static_cast<long long>(call.x) + call.w, left, screen_.width()));
  const int bottom = static_cast<int>(std::clamp<long long>(static_cast<long long>(call.y) + call.h, top, screen_.height()));
  saved_[buffer] = {left, top, right - left, bottom - top, screen_.Read(left, top, right - left, bottom - top)};
  return 1;
}

int GraphicsServices::RestoreRect(GdiCall& call, va_list args) {
  uint32_t buffer = DecodeSavedArea(call, args);
  auto it = saved_.find(buffer);
  if (it == saved_.end()) {
    call.error = "nothing saved in this buffer";
    return 0;
  }
  const SavedArea& area = it->second;
  // Put back the saved pixels that lie inside the requested rectangle.
  int left = std::max(call.x, area.x), top = std::max(call.y, area.y);
  int right = std::min(call.x + call.w, area.x + area.w);
  int bottom = std::min(call.y + call.h, area.y + area.h);
  if (left >= right || top >= bottom) return 1;
  std::vector<uint8_t> part;
  part.reserve(static_cast<size_t>(right - left) * (bottom - top));
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      part.push_back(area.pixels[static_cast<size_t>(y - area.y) * area.w + (x - area.x)]);
  screen_.Write(left, top, right - left, bottom - top, part);
  return 1;
}

int GraphicsServices::OpenTextBox(GdiCall& call, va_list args) {
  uint32_t at = va_arg(args, uint32_t), cells = va_arg(args, uint32_t);
  uint32_t fg = va_arg(args, uint32_t), bg = va_arg(args, uint32_t);
  uint32_t font = va_arg(args, uint32_t);
  call.args = {at, cells, fg, bg, font};
  box_.x = call.x = PackedX(at);
  box_.y = call.y = PackedY(at);
  box_.columns = call.columns = static_cast<int>(cells & 0xFF);
  box_.rows = call.rows = static_cast<int>((cells >> 8) & 0xFF);
  box_.fg = static_cast<uint8_t>(fg);
  box_.bg = static_cast<uint8_t>(bg);
  call.fg = box_.fg;
  call.bg = box_.bg;
  box_.font = call.font = static_cast<int>(font & 0xFF);
  box_.column = box_.row = 0;
  return 1;
}

void GraphicsServices::PutChar(uint8_t code) {
  if (code == '\n') {
    box_.column = 0;
    ++box_.row;
    return;
  }
  if (code == '\r') {
    box_.column = 0;
    return;
  }
  if (box_.column >= box_.columns) {
    box_.column = 0;
    ++box_.row;
  }
  if (box_.row >= box_.rows || box_.columns == 0) return;
  const TextFace& face = FaceForGdiFont(box_.font);
  screen_.DrawChar(box_.x + box_.column * face.cell_width, box_.y + box_.row * face.cell_height, code,
                   box_.font, box_.fg, box_.bg);
  ++box_.column;
}

int GraphicsServices::WriteText(GdiCall& call, va_list args) {
  size_t length = 0;
  const char* text = DecodeText(call, args, kMaxText, &length);
  if (text == nullptr) return 0;
  for (size_t i = 0; i < length; ++i) PutChar(static_cast<uint8_t>(text[i]));
  return 1;
}

int GraphicsServices::WriteChar(GdiCall& call, va_list args) {
  PutChar(DecodeChar(call, args));
  return 1;
}

int GraphicsServices::TextBlank(GdiCall& call, va_list args) {
  uint32_t code = va_arg(args, uint32_t);
  call.args = {code};
  call.value = static_cast<int>(code & 0xFF);
  if ((code & 0xFF) != 255) return 1;
  if (box_.column >= box_.columns) {
    box_.column = 0;
    ++box_.row;
  }
  if (box_.bg != 255 && box_.row < box_.rows && box_.columns > 0) {
    const TextFace& face = FaceForGdiFont(box_.font);
    // The rest of the cursor's row, then every row below it.
    screen_.FillRect(box_.x + box_.column * face.cell_width, box_.y + box_.row * face.cell_height,
                     (box_.columns - box_.column) * face.cell_width, face.cell_height, box_.bg);
    screen_.FillRect(box_.x, box_.y + (box_.row + 1) * face.cell_height,
                     box_.columns * face.cell_width, (box_.rows - box_.row - 1) * face.cell_height,
                     box_.bg);
  }
  box_.column = 0;
  box_.row = box_.rows;
  return 1;
}

int GraphicsServices::Ignore(GdiCall& call, va_list args) {
  for (int i = 0; i < call.count; ++i) call.args.push_back(va_arg(args, uint32_t));
  call.value = call.args.empty() ? 0 : static_cast<int>(call.args[0]);
  return 1;
}

}  // namespace host
