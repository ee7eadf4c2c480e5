#include "host/console/console_json.h"

#include <stdio.h>

#include "host/console/operation.h"

namespace host {
namespace {

// Length of the UTF-8 sequence at text[at], or 0 when it is none.
size_t Utf8Length(const std::string& text, size_t at) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  const size_t length = c >= 0xF0 ? (c < 0xF5 ? 4 : 0) : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  return length;
}

std::string Field(const std::string& name, const std::string& json) { return JsonString(name) + ":" + json; }

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (size_t n = Utf8Length(text, i)) {
      out += text.substr(i, n);
      i += n - 1;
    } else {
      out += "\\ufffd";
    }
  }
  return out + "\"";
}

std::string Base64(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t group = static_cast<uint32_t>(bytes[i]) << 16 |
                           (i + 1 < bytes.size() ? static_cast<uint32_t>(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    out += kDigits[group >> 18 & 63];
    out += kDigits[group >> 12 & 63];
    out += i + 1 < bytes.size() ? kDigits[group >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
  }
  return out;
}

std::string OperationsJson() {
  static const char* const kKinds[] = {"file", "choice", "number", "flag", "fixed", "folder"};
  std::string json = "[";
  for (const Operation& o : ConsoleOperations()) {
    std::string options, keys;
    for (const OperationOption& p : o.options) {
      std::string choices;
      for (const std::string& c : p.choices) choices += (choices.empty() ? "" : ",") + JsonString(c);
      options += std::string(options.empty() ? "" : ",") + "{" + Field("name", JsonString(p.name)) + "," +
                 Field("label", JsonString(p.label)) + "," + Field("kind", JsonString(kKinds[p.kind])) + "," +
                 Field("default", JsonString(p.default_value)) + "," + Field("choices", "[" + choices + "]") +
                 "," + Field("min", std::to_string(p.min)) + "," + Field("max", std::to_string(p.max)) + "}";
    }
    for (const KeyBinding& k : o.keys)
      keys += std::string(keys.empty() ? "" : ",") + "{" + Field("pc", JsonString(k.pc)) + "," +
              Field("label", JsonString(k.label)) + "," + Field("word", JsonString(k.word)) + "," +
              Field("code", std::to_string(k.code)) + "}";
    json += std::string(json.size() > 1 ? "," : "") + "{" + Field("id", JsonString(o.id)) + "," +
            Field("title", JsonString(o.title)) + "," + Field("command", JsonString(o.command)) + "," +
            Field("options", "[" + options + "]") + "," + Field("keys", "[" + keys + "]") + "}";
  }
  return json + "]";
}

}  // namespace host
