#include "host/screen/png.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <vector>

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

std::vector<uint8_t> EncodePngRgb(int width, int height, const uint8_t* rgb) {
  std::vector<uint8_t> out;
  if (width <= 0 || height <= 0) return out;
  int size = 0;
  unsigned char* png = stbi_write_png_to_mem(rgb, width * 3, width, height, 3, &size);
  if (!png) return out;
  out.assign(png, png + size);
  STBIW_FREE(png);
  return out;
}

namespace {

void Append(std::vector<uint8_t>* out, const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  out->insert(out->end(), p, p + size);
}

void AppendBigEndian(std::vector<uint8_t>* out, uint32_t v) {
  const uint8_t b[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                        static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  Append(out, b, 4);
}

uint32_t ReadBigEndian(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void AppendChunk(std::vector<uint8_t>* out, const char type[4], const std::vector<uint8_t>& data) {
  AppendBigEndian(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  Append(out, typed.data(), typed.size());
  AppendBigEndian(out, stbiw__crc32(typed.data(), static_cast<int>(typed.size())));
}

// The compressed image data of a PNG (its IDAT chunks joined), and its IHDR.
bool EncodeFrame(int width, int height, const uint8_t* rgb, std::vector<uint8_t>* ihdr,
                 std::vector<uint8_t>* idat) {
  int size = 0;
  unsigned char* png = stbi_write_png_to_mem(rgb, width * 3, width, height, 3, &size);
  if (!png) return false;
  ihdr->clear();
  idat->clear();
  for (int at = 8; at + 12 <= size;) {
    uint32_t length = ReadBigEndian(png + at);
    if (length > static_cast<uint32_t>(size - at - 12)) break;
    const uint8_t* body = png + at + 8;
    if (memcmp(png + at + 4, "IHDR", 4) == 0) ihdr->assign(body, body + length);
    if (memcmp(png + at + 4, "IDAT", 4) == 0) idat->insert(idat->end(), body, body + length);
    at += 12 + static_cast<int>(length);
  }
  STBIW_FREE(png);
  return ihdr->size() == 13 && !idat->empty();
}

}  // namespace

bool WriteApngRgb(const std::string& path, int width, int height,
                  const std::vector<std::vector<uint8_t>>& frames, uint32_t delay_ms,
                  std::string* error) {
  auto fail = [&](const std::string& message) {
    if (error) *error = message;
    return false;
  };
  if (width <= 0 || height <= 0 || frames.empty()) return fail("empty animation");
  size_t frame_bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr, idat, chunk;
  uint32_t sequence = 0;
  for (size_t i = 0; i < frames.size(); ++i) {
    if (frames[i].size() != frame_bytes) return fail("a frame of the wrong size");
    if (!EncodeFrame(width, height, frames[i].data(), &ihdr, &idat)) return fail("encoding a frame failed");
    if (i == 0) {
      AppendChunk(&file, "IHDR", ihdr);
      chunk.clear();
      AppendBigEndian(&chunk, static_cast<uint32_t>(frames.size()));
      AppendBigEndian(&chunk, 0);  // plays for ever
      AppendChunk(&file, "acTL", chunk);
    }
    // Frame control: the whole image, shown for delay_ms, replacing the last.
    chunk.clear();
    AppendBigEndian(&chunk, sequence++);
    AppendBigEndian(&chunk, static_cast<uint32_t>(width));
    AppendBigEndian(&chunk, static_cast<uint32_t>(height));
    AppendBigEndian(&chunk, 0);
    AppendBigEndian(&chunk, 0);
    const uint8_t timing[6] = {static_cast<uint8_t>(delay_ms >> 8), static_cast<uint8_t>(delay_ms), 0x03, 0xE8,
                               0 /* dispose: none */, 0 /* blend: source */};
    Append(&chunk, timing, sizeof timing);
    AppendChunk(&file, "fcTL", chunk);
    if (i == 0) {
      AppendChunk(&file, "IDAT", idat);
    } else {
      chunk.clear();
      AppendBigEndian(&chunk, sequence++);
      Append(&chunk, idat.data(), idat.size());
      AppendChunk(&file, "fdAT", chunk);
    }
  }
  AppendChunk(&file, "IEND", {});

  FILE* out = fopen(path.c_str(), "wb");
  if (!out) return fail(path + ": " + strerror(errno));
  bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
  if (fclose(out) != 0 || !written) {
    remove(path.c_str());
    return fail(path + ": writing the PNG failed");
  }
  return true;
}

}  // namespace host
