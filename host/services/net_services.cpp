#include "host/services/dispatch.h"
#include "host/net/net_frames.h"

namespace host {

FrameServices::FrameServices(FrameEndpoint& endpoint) {
  FrameEndpoint* e = &endpoint;
  send_ = RegisterService("send frame", [e](int count, va_list args) -> int {
    if (count != 2) return 0;
    const uint8_t* frame = va_arg(args, const uint8_t*);
    uint32_t length = va_arg(args, uint32_t);
    if (frame == nullptr || length == 0 || length > 1514) return 0;
    return e->Send(frame, length) ? 1 : 0;
  });
  receive_ = RegisterService("receive frame", [e](int count, va_list args) -> int {
    if (count != 1) return 0;
    uint8_t* buffer = va_arg(args, uint8_t*);
    if (buffer == nullptr) return 0;
    return static_cast<int>(e->Receive(buffer, 1520));
  });
}

FrameServices::~FrameServices() {
  UnregisterService(send_);
  UnregisterService(receive_);
}

}  // namespace host
