// Failures of the host's own work (files, folders, devices) that end a
// hostsim command with status 3, and refused command-line input that ends
// it with status 2. Thrown inside the host only; main catches them.
#pragma once

#include <stdexcept>
#include <string>

namespace host {

struct HostError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace host
