#include "host/services/dispatch.h"

#include <memory>
#include <vector>

namespace host {
namespace {

struct Service {
  std::string name;
  // Shared, so that a call keeps its service alive while the service
  // registers or unregisters others, without copying the function.
  std::shared_ptr<const ServiceFn> fn;
};

std::vector<Service>& Registry() {
  static std::vector<Service> services;
  return services;
}

DispatchObserver& Observer() {
  static DispatchObserver observer;
  return observer;
}

}  // namespace

uint32_t RegisterService(const char* name, ServiceFn fn) {
  auto& services = Registry();
  // An empty function leaves its slot free, as an unregistered one.
  auto held = fn ? std::make_shared<const ServiceFn>(std::move(fn)) : nullptr;
  for (size_t i = 0; i < services.size(); ++i) {
    if (!services[i].fn) {
      services[i] = {name, std::move(held)};
      return static_cast<uint32_t>(i + 1);
    }
  }
  services.push_back({name, std::move(held)});
  return static_cast<uint32_t>(services.size());
}

void UnregisterService(uint32_t handle) {
  auto& services = Registry();
  if (handle >= 1 && handle <= services.size()) services[handle - 1] = {};
}

std::string ServiceName(uint32_t handle) {
  auto& services = Registry();
  if (handle >= 1 && handle <= services.size()) return services[handle - 1].name;
  return "";
}

void SetDispatchObserver(DispatchObserver observer) { Observer() = std::move(observer); }

uint64_t g_dispatch_count = 0;
uint64_t DispatchCount() { return g_dispatch_count; }

}  // namespace host

extern "C" int HostDispatchEntry(uint32_t handle, int count, ...) {
  auto& services = host::Registry();
  ++host::g_dispatch_count;
  if (handle == 0 || handle > services.size() || !services[handle - 1].fn) return 0;
  if (host::Observer()) host::Observer()(handle, count);
  va_list args;
  va_start(args, count);
  // Hold the function: a service may register or unregister others.
  std::shared_ptr<const host::ServiceFn> fn = services[handle - 1].fn;
  int result = (*fn)(count, args);
  va_end(args);
  return result;
}
