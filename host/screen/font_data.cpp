// The console fonts' bytes, embedded at build time (see fonts.cmake).
#include <stddef.h>
#include <stdint.h>

#ifndef HOST_FONT_DIR
#error "HOST_FONT_DIR must name the folder of the decompressed console fonts"
#endif

#define HOST_EMBED_FONT(symbol, file)                      \
  asm(".pushsection .rodata\n"                             \
      ".balign 4\n"                                        \
      ".globl " #symbol "_begin\n"                         \
      ".hidden " #symbol "_begin\n"                        \
      ".globl " #symbol "_end\n"                           \
      ".hidden " #symbol "_end\n" #symbol "_begin:\n"      \
      ".incbin \"" HOST_FONT_DIR "/" file "\"\n" #symbol   \
      "_end:\n"                                            \
      ".popsection\n")

HOST_EMBED_FONT(host_font_terminus16, "Uni2-Terminus16.psf");
HOST_EMBED_FONT(host_font_terminus32, "Uni2-Terminus32x16.psf");

extern "C" {
extern const uint8_t host_font_terminus16_begin[], host_font_terminus16_end[];
extern const uint8_t host_font_terminus32_begin[], host_font_terminus32_end[];
}

namespace host {

struct EmbeddedBytes {
  const uint8_t* data;
  size_t size;
};

EmbeddedBytes EmbeddedFont16() {
  return {host_font_terminus16_begin,
          static_cast<size_t>(host_font_terminus16_end - host_font_terminus16_begin)};
}

EmbeddedBytes EmbeddedFont32() {
  return {host_font_terminus32_begin,
          static_cast<size_t>(host_font_terminus32_end - host_font_terminus32_begin)};
}

}  // namespace host
