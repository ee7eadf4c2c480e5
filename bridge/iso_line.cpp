#include "bridge/iso_line.h"

void NormalizeIsoBlock(char* block) {
  char* out = block;
  bool in_comment = false;
  for (const char* in = block; *in != '\0'; ++in) {
    const char c = *in;
    if (c == '"') {
      in_comment = !in_comment;
      continue;
    }
    if (in_comment || c == ' ' || c == '\t' || c == '\n') continue;
    *out++ = c;
  }
  *out = '\0';
}
