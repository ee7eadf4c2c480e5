#include "anvil/file_paths.h"

#include <string.h>

namespace anvil {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool EqualNoCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (Upper(*a) != Upper(*b)) return false;
  return *a == *b;
}

bool ContainsNoCase(const char* text, const char* part) {
  size_t n = strlen(part);
  for (; *text != '\0'; ++text) {
    size_t i = 0;
    while (i < n && text[i] != '\0' && Upper(text[i]) == Upper(part[i])) ++i;
    if (i == n) return true;
  }
  return n == 0;
}

bool IsFtpPath(const char* path) {
  return path != nullptr && Upper(path[0]) == 'F' && Upper(path[1]) == 'T' &&
         Upper(path[2]) == 'P' && path[3] == ':';
}

bool CopyText(char* to, size_t capacity, const char* from) {
  size_t n = from != nullptr ? strlen(from) : 0;
  if (n >= capacity) {
    to[0] = '\0';
    return false;
  }
  memcpy(to, from != nullptr ? from : "", n + 1);
  return true;
}

bool JoinText(char* to, size_t capacity, const char* a, const char* b) {
  size_t na = strlen(a), nb = strlen(b);
  if (na + nb >= capacity) {
    to[0] = '\0';
    return false;
  }
  memmove(to, a, na);
  memcpy(to + na, b, nb + 1);
  return true;
}

bool ServerPath(const char* panel_dir, const char* name, char* out, size_t capacity) {
  char path[160];
  size_t n = 0;
  const char* p = IsFtpPath(panel_dir) ? panel_dir + 4 : panel_dir;
  auto put = [&](char c) {
    if (n + 1 < sizeof path) path[n++] = c;
  };
  if (*p != '\\' && *p != '/') put('/');
  for (; *p != '\0'; ++p) put(*p == '\\' ? '/' : *p);
  // No trailing '/' except for the root itself.
  while (n > 1 && path[n - 1] == '/') --n;
  if (name != nullptr && name[0] != '\0') {
    if (path[n - 1] != '/') put('/');
    for (const char* q = name; *q != '\0'; ++q) put(*q);
  }
  path[n] = '\0';
  if (n >= sizeof path - 1 || n > 68) return false;
  return CopyText(out, capacity, path);
}

bool PanelPathFromPwd(const char* answer, char* out, size_t capacity) {
  if (answer == nullptr) return false;
  size_t n = strlen(answer);
  const char* start = answer;
  if (n >= 2 && answer[0] == '"' && answer[n - 1] == '"') {
    ++start;
    n -= 2;
  }
  char path[96];
  size_t k = 0;
  const char prefix[] = "FTP:";
  for (const char* c = prefix; *c != '\0'; ++c) path[k++] = *c;
  for (size_t i = 0; i < n; ++i) {
    if (k + 2 >= sizeof path) return false;
    path[k++] = start[i] == '/' ? '\\' : start[i];
  }
  if (path[k - 1] != '\\') path[k++] = '\\';
  path[k] = '\0';
  return CopyText(out, capacity, path);
}

void DirectoryOf(const char* path, char* out, size_t capacity) {
  const char* cut = strrchr(path, '\\');
  size_t n = cut != nullptr ? static_cast<size_t>(cut - path) + 1 : 0;
  if (n >= capacity) n = 0;
  memcpy(out, path, n);
  out[n] = '\0';
}

void MessagePath(const char* path, char out[62]) {
  size_t n = strlen(path);
  if (n <= 61) {
    memcpy(out, path, n + 1);
    return;
  }
  memcpy(out, "...", 3);
  memcpy(out + 3, path + n - 57, 58);
}

}  // namespace anvil
