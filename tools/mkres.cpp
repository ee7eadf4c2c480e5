// String-table compiler: turns resources/<library>/<language>.txt (UTF-8)
// into a C++ source holding the library's tables in the control's character
// set, packed as a resource tree (type 256, name 1, language) inside a
// minimal Windows image, which LocalizationInit walks like any other image.
//
// Source format, one text a line:
//   # comment
//   count 49            number of texts (ids 0..count-1; missing ids are empty)
//   12 Text             the text after the first blank, trimmed
//   13 "  Text  "       quoted: taken exactly as written between the quotes
//   14 Two\nlines       "\n" is a line feed (soft-key labels break there),
//                       "\\" a backslash; any other backslash is refused
// A character the control cannot show is refused unless a transliteration
// below spells it with characters it can show.
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

#include "bridge/charset.h"

namespace {

struct Transliteration {
  uint32_t unicode;
  const char* spelling;  // UTF-8, every character of it showable
};

// Letters of the eight languages that the character set lacks.
const Transliteration kTransliterations[] = {
    {0x00DF, "ss"}, {0x00E2, "a"},  {0x00C2, "A"},  {0x00EE, "i"},  {0x00CE, "I"},
    {0x00EF, "i"},  {0x00CF, "I"},  {0x00EB, "e"},  {0x00CB, "E"},  {0x00F9, "u"},
    {0x00D9, "U"},  {0x00FB, "u"},  {0x00DB, "U"},  {0x0153, "oe"}, {0x0152, "OE"},
    {0x00FF, "y"},  {0x00C0, "A"},  {0x00C8, "E"},  {0x00CA, "E"},  {0x0151, "\xC3\xB6"},
    {0x0150, "\xC3\x96"}, {0x0171, "\xC3\xBC"}, {0x0170, "\xC3\x9C"}, {0x0144, "n"},
    {0x0143, "N"},  {0x2018, "'"},  {0x2019, "'"},  {0x201A, ","},  {0x201C, "\""},
    {0x201D, "\""}, {0x201E, "\""}, {0x2026, "..."}, {0x2014, "-"}, {0x00B0, "o"},
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  fprintf(stderr, "mkres: %s: %s\n", where.c_str(), what.c_str());
  exit(1);
}

// Decodes UTF-8; refuses malformed sequences.
std::vector<uint32_t> DecodeUtf8(const std::string& s, const std::string& where) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp = 0;
    int extra = 0;
    if (c < 0x80) { cp = c; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
    else Fail(where, "malformed UTF-8");
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= s.size()) Fail(where, "truncated UTF-8");
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) Fail(where, "malformed UTF-8");
      cp = (cp << 6) | (d & 0x3F);
    }
    out.push_back(cp);
    i += 1 + extra;
  }
  return out;
}

void AppendConverted(uint32_t cp, std::string& out, const std::string& where, int depth = 0) {
  uint8_t code = cp <= 0xFFFF ? ZorvFromUnicode(static_cast<uint16_t>(cp)) : '.';
  if (code != '.' || cp == '.') {
    // A control character written into the source is refused; letters the
    // control keeps below 0x20 (a, e and e with grave or circumflex) are not.
    if (cp < 0x20) Fail(where, "control character in a text");
    out.push_back(static_cast<char>(code));
    return;
  }
  for (const auto& t : kTransliterations) {
    if (t.unicode == cp && depth == 0) {
      for (uint32_t c : DecodeUtf8(t.spelling, where)) AppendConverted(c, out, where, 1);
      return;
    }
  }
  char buf[64];
  snprintf(buf, sizeof buf, "U+%04X cannot be shown in the control's character set", cp);
  Fail(where, buf);
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

struct Table {
  uint32_t language = 0;
  std::vector<std::string> texts;  // already in the control's character set
};

Table ReadTable(const std::string& path, uint32_t language) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) Fail(path, "cannot open");
  Table table;
  table.language = language;
  std::map<uint32_t, std::string> texts;
  long count = -1;
  char line[4096];
  int line_no = 0;
  while (fgets(line, sizeof line, f)) {
    ++line_no;
    std::string where = path + ":" + std::to_string(line_no);
    std::string s = line;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    std::string t = Trim(s);
    if (t.empty() || t[0] == '#') continue;
    if (t.rfind("count ", 0) == 0) {
      count = strtol(t.c_str() + 6, nullptr, 10);
      continue;
    }
    char* end = nullptr;
    unsigned long id = strtoul(t.c_str(), &end, 10);
    if (end == t.c_str()) Fail(where, "a line must start with a text number");
    std::string text = Trim(std::string(end));
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
      text = text.substr(1, text.size() - 2);
    if (texts.count(id)) Fail(where, "text number given twice");
    std::string converted;
    std::vector<uint32_t> chars = DecodeUtf8(text, where);
    for (size_t i = 0; i < chars.size(); ++i) {
      if (chars[i] != '\\') {
        AppendConverted(chars[i], converted, where);
        continue;
      }
      // The only control character a text may hold is the line feed, and
      // it is written as an escape so that a table stays one text a line.
      uint32_t next = i + 1 < chars.size() ? chars[i + 1] : 0;
      if (next == 'n') converted.push_back('\n');
      else if (next == '\\') converted.push_back('\\');
      else Fail(where, "a backslash starts \\n (line feed) or \\\\ (backslash)");
      ++i;
    }
    texts[id] = converted;
  }
  fclose(f);
  if (count < 0) Fail(path, "missing 'count N' line");
  table.texts.assign(static_cast<size_t>(count), "");
  for (auto& [id, text] : texts) {
    if (id >= static_cast<unsigned long>(count)) Fail(path, "text number " + std::to_string(id) + " not below count");
    table.texts[id] = text;
  }
  return table;
}

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}
size_t Align4(size_t n) { return (n + 3) & ~size_t{3}; }

// Lays out: DOS header, PE header, optional header (16 data directories),
// then the resource tree with its three levels, data entries and tables.
std::vector<uint8_t> BuildImage(const std::vector<Table>& tables) {
  const size_t pe = 0x40, optional = pe + 24, optional_size = 224;
  const size_t tree = Align4(optional + optional_size);
  const size_t langs = tables.size();
  const size_t level1 = 0, level2 = level1 + 16 + 8, level3 = level2 + 16 + 8;
  const size_t data_entries = level3 + 16 + 8 * langs;
  size_t data = Align4(data_entries + 16 * langs);

  std::vector<std::vector<uint8_t>> blobs;
  for (const Table& t : tables) {
    size_t n = t.texts.size();
    std::vector<uint8_t> blob(4 + 4 * n);
    Put32(blob, 0, static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i) {
      Put32(blob, 4 + 4 * i, static_cast<uint32_t>(blob.size()));
      blob.insert(blob.end(), t.texts[i].begin(), t.texts[i].end());
      blob.push_back(0);
    }
    if (n == 0) blob.push_back(0);
    blobs.push_back(blob);
  }
  size_t tree_size = data;
  for (auto& b : blobs) tree_size = Align4(tree_size + b.size());

  std::vector<uint8_t> img(tree + tree_size, 0);
  img[0] = 'M';
  img[1] = 'Z';
  Put32(img, 0x3C, static_cast<uint32_t>(pe));
  img[pe] = 'P';
  img[pe + 1] = 'E';
  Put16(img, pe + 4, 0x14C);                       // i386
  Put16(img, pe + 20, static_cast<uint32_t>(optional_size));
  Put16(img, pe + 22, 0x2102);                     // executable, 32-bit, DLL
  Put16(img, optional, 0x10B);                     // PE32
  Put32(img, optional + 92, 16);                   // data directories
  Put32(img, optional + 96 + 2 * 8, static_cast<uint32_t>(tree));
  Put32(img, optional + 96 + 2 * 8 + 4, static_cast<uint32_t>(tree_size));

  auto dir = [&](size_t at, size_t ids) { Put16(img, tree + at + 14, static_cast<uint32_t>(ids)); };
  dir(level1, 1);
  Put32(img, tree + level1 + 16, 256);
  Put32(img, tree + level1 + 20, static_cast<uint32_t>(level2) | 0x80000000u);
  dir(level2, 1);
  Put32(img, tree + level2 + 16, 1);
  Put32(img, tree + level2 + 20, static_cast<uint32_t>(level3) | 0x80000000u);
  dir(level3, langs);
  size_t at = data;
  for (size_t i = 0; i < langs; ++i) {
    Put32(img, tree + level3 + 16 + 8 * i, tables[i].language);
    Put32(img, tree + level3 + 20 + 8 * i, static_cast<uint32_t>(data_entries + 16 * i));
    size_t entry = tree + data_entries + 16 * i;
    Put32(img, entry, static_cast<uint32_t>(tree + at));   // relative to the image
    Put32(img, entry + 4, static_cast<uint32_t>(blobs[i].size()));
    std::copy(blobs[i].begin(), blobs[i].end(), img.begin() + tree + at);
    at = Align4(at + blobs[i].size());
  }
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: mkres RESOURCE_FOLDER OUTPUT.cpp\n");
    return 2;
  }
  std::string folder = argv[1];
  DIR* d = opendir(folder.c_str());
  if (!d) Fail(folder, "cannot open folder");
  std::map<uint32_t, std::string> files;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name.size() < 5 || name.substr(name.size() - 4) != ".txt") continue;
    char* end = nullptr;
    unsigned long lang = strtoul(name.c_str(), &end, 10);
    if (std::string(end) != ".txt" || lang == 0) Fail(folder + "/" + name, "file name must be <language id>.txt");
    files[lang] = folder + "/" + name;
  }
  closedir(d);
  if (!files.count(5)) Fail(folder, "the Czech table (5.txt) is required: it is selected at load");
  std::vector<Table> tables;
  for (auto& [lang, path] : files) tables.push_back(ReadTable(path, lang));
  for (auto& t : tables)
    if (t.texts.size() != tables[0].texts.size())
      Fail(files[t.language], "every language must have the same count");

  std::vector<uint8_t> img = BuildImage(tables);
  FILE* out = fopen(argv[2], "wb");
  if (!out) Fail(argv[2], "cannot write");
  fprintf(out, "// Generated by tools/mkres from %s. Do not edit.\n#include <stdint.h>\n\n", folder.c_str());
  fprintf(out, "alignas(4) extern const uint8_t kBuiltinStringImage[] = {");
  for (size_t i = 0; i < img.size(); ++i) fprintf(out, "%s%u,", i % 24 ? "" : "\n  ", img[i]);
  fprintf(out, "\n};\nextern const uint32_t kBuiltinStringImageSize = %zu;\n", img.size());
  fclose(out);
  return 0;
}
