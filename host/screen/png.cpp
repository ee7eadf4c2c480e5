#include "host/screen/png.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace host {
namespace {

struct Sink {
  FILE* file;
  bool failed;
};

void WriteChunk(void* context, void* data, int size) {
  auto* sink = static_cast<Sink*>(context);
  if (!sink->failed && fwrite(data, 1, static_cast<size_t>(size), sink->file) != static_cast<size_t>(size))
    sink->failed = true;
}

}  // namespace

bool WritePngRgb(const std::string& path, int width, int height, const uint8_t* rgb,
                 std::string* error) {
  auto fail = [&](const std::string& message) {
    if (error) *error = message;
    return false;
  };
  if (width <= 0 || height <= 0) return fail("empty image");
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return fail(path + ": " + strerror(errno));
  Sink sink{file, false};
  int ok = stbi_write_png_to_func(WriteChunk, &sink, width, height, 3, rgb, width * 3);
  bool closed = fclose(file) == 0;
  if (!ok || sink.failed || !closed) {
    remove(path.c_str());
    return fail(path + ": writing the PNG failed");
  }
  return true;
}

}  // namespace host
