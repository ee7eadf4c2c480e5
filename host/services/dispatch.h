// The host's dispatch entry and its registry of services.
//
// Libraries reach every host service as dispatch(handle, count, args...).
// The simulator registers each service as a function taking the argument
// count and the variable argument list; handles are small integers from 1.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include <functional>
#include <string>

namespace host {

using ServiceFn = std::function<int(int count, va_list args)>;

// Registers a service; returns its handle (never 0).
uint32_t RegisterService(const char* name, ServiceFn fn);
void UnregisterService(uint32_t handle);
// Name given at registration ("" for an unknown handle), for logs and tests.
std::string ServiceName(uint32_t handle);

// Observer of every dispatched call (the call recorder hooks in here).
using DispatchObserver = std::function<void(uint32_t handle, int count)>;
void SetDispatchObserver(DispatchObserver observer);

// Sets the observer for the life of the object: it is cleared again
// whichever way the caller ends (what it captures goes with the caller).
class ScopedDispatchObserver {
 public:
  explicit ScopedDispatchObserver(DispatchObserver observer) { SetDispatchObserver(std::move(observer)); }
  ~ScopedDispatchObserver() { SetDispatchObserver({}); }
  ScopedDispatchObserver(const ScopedDispatchObserver&) = delete;
  ScopedDispatchObserver& operator=(const ScopedDispatchObserver&) = delete;
};

// Calls of the dispatch entry so far (known handles or not): a host loop
// tells from it whether a library call used any service.
uint64_t DispatchCount();

}  // namespace host

// The entry handed to the libraries. An unknown handle returns 0.
extern "C" int HostDispatchEntry(uint32_t handle, int count, ...);
