#include "host/services/offset_host.h"

#include <string.h>

#include "host/services/dispatch.h"

namespace host {

OffsetHost::OffsetHost(TracerHost& tracer) : tracer_(tracer) {
  handle_ = RegisterService("write fix", [this](int, va_list) {
    writes_.push_back({tracer_.axis_index, tracer_.Text("resultText")});
    return fail_ ? 1 : 0;
  });
  tracer.record().writeFixHandle = handle_;
}

OffsetHost::~OffsetHost() { UnregisterService(handle_); }

void OffsetHost::SetFixDir(const std::string& dos_dir) {
  char* dir = tracer_.record().fixTableDir;
  memset(dir, 0, 64);
  memcpy(dir, dos_dir.data(), dos_dir.size() < 63 ? dos_dir.size() : 63);
}

}  // namespace host
