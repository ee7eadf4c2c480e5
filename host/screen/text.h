// Text in the control's character set, as the host shows it.
#pragma once

#include <string>

namespace host {

// Control character set -> UTF-8 (codes without a meaning become U+FFFD).
std::string ZorvToUtf8(const std::string& zorv);

// UTF-8 -> control character set (what the set cannot show becomes ".").
std::string Utf8ToZorv(const std::string& utf8);

}  // namespace host
