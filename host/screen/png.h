// PNG output through stb_image_write (libstb-dev, used header-only).
#pragma once

#include <stdint.h>

#include <string>

namespace host {

// Writes a width x height 24-bit RGB image (rows top to bottom, no
// padding). False with a message in *error (if given) on failure.
bool WritePngRgb(const std::string& path, int width, int height, const uint8_t* rgb,
                 std::string* error);

}  // namespace host
