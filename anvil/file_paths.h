// Paths of the file manager: local DOS paths ("c:\dir\") and server paths
// ("FTP:\dir\", sent to the server as "/dir"). Every function here checks
// lengths first and refuses (returns false) rather than cut a path.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace anvil {

bool IsFtpPath(const char* path);

// Case-insensitive comparisons (ASCII letters only).
bool EqualNoCase(const char* a, const char* b);
bool ContainsNoCase(const char* text, const char* part);
char Upper(char c);
char Lower(char c);

// Copies `from` into `to[capacity]`; false (and `to` emptied) when it does
// not fit.
bool CopyText(char* to, size_t capacity, const char* from);
// to = a + b; false (to emptied) when it does not fit.
bool JoinText(char* to, size_t capacity, const char* a, const char* b);

// The server path of a panel directory ("FTP:\a\b\") and an optional name
// in it: "/a/b" or "/a/b/name"; the root alone is "/". '\' becomes '/'.
// False when the result is longer than the FTP client takes (68).
bool ServerPath(const char* panel_dir, const char* name, char* out, size_t capacity);

// A panel path from a PWD answer: quotes around it removed, '/' -> '\',
// "FTP:" in front, '\' at the end. False when it does not fit in 80
// characters (it is refused, never cut).
bool PanelPathFromPwd(const char* answer, char* out, size_t capacity);

// The directory part of a path (up to and including its last '\').
void DirectoryOf(const char* path, char* out, size_t capacity);

// A path for a 62-character message field: longer than 61 characters it
// becomes "..." and its last 57 characters.
void MessagePath(const char* path, char out[62]);

}  // namespace anvil
