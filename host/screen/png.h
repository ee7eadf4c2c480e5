// PNG output through stb_image_write (libstb-dev, used header-only).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace host {

// Writes a width x height 24-bit RGB image (rows top to bottom, no
// padding). False with a message in *error (if given) on failure.
bool WritePngRgb(const std::string& path, int width, int height, const uint8_t* rgb,
                 std::string* error);

// The same PNG in memory, byte for byte what WritePngRgb writes; empty
// when the image is empty or encoding fails.
std::vector<uint8_t> EncodePngRgb(int width, int height, const uint8_t* rgb);

// Writes an animated PNG: every frame a whole width x height RGB image
// (as above), each shown for `delay_ms` (at most 65535), looping for ever.
// Viewers without animation show the first frame.
bool WriteApngRgb(const std::string& path, int width, int height,
                  const std::vector<std::vector<uint8_t>>& frames, uint32_t delay_ms,
                  std::string* error);

}  // namespace host
