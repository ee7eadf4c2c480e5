// The file manager's inner algorithms: FTP listing lines, names as the
// panel stores them, server and panel paths, and the attribute file.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "anvil/attributes.h"
#include "anvil/dir_listing.h"
#include "anvil/file_paths.h"

namespace {

using namespace anvil;

// A long-listing line with fields placed at the given columns.
std::string Line(char kind, const std::string& size, const std::string& month,
                 const std::string& day, const std::string& time_or_year, const std::string& name) {
  std::string s(54, ' ');
  s[0] = kind;
  s.replace(40 - size.size(), size.size(), size);
  s.replace(41, 3, month);
  s.replace(47 - day.size(), day.size(), day);
  s.replace(53 - time_or_year.size(), time_or_year.size(), time_or_year);
  return s + name;
}

struct LongRow {
  std::string line;
  bool parses;
  uint8_t flags, day, month, hour, minute;
  uint16_t year;
  uint32_t size;
  const char* name;
  const char* why;
};

TEST(FileListing, LongListingLines) {
  const LongRow rows[] = {
      {Line('d', "4096", "Mar", "03", "11:25", "PROGS"), true, kEntryDirectory, 3, 3, 11, 25, 9999,
       4096, "PROGS", "a recent directory: time shown, year 9999"},
      {Line('-', "123", "Mar", "03", "2003", "old.txt"), true, 0, 3, 3, 0, 0, 2003, 123, "old.txt",
       "an older file: the year instead of a time, time 00:00"},
      {Line('D', "7", "dec", "31", "23:59", "a b.c"), true, kEntryDirectory, 31, 12, 23, 59, 9999, 7,
       "a b.c", "upper-case D and a lower-case month still match"},
      {Line('-', "4294967295", "Jan", "1", "1999", "big"), true, 0, 1, 1, 0, 0, 1999, 0xFFFFFFFFu,
       "big", "the largest size that fits"},
      {Line('-', "4294967296", "Jan", "1", "1999", "big"), false, 0, 0, 0, 0, 0, 0, 0, "",
       "a size past 32 bits is not a listing of this form"},
      {Line('-', "1", "Foo", "1", "1999", "x"), false, 0, 0, 0, 0, 0, 0, 0, "", "no month"},
      {Line('-', "1", "Jan", "1", "1999", "").substr(0, 54), false, 0, 0, 0, 0, 0, 0, 0, "",
       "shorter than 55 characters"},
      {"-rw-r--r--    1 ftp      ftp             5 Dec 09 11:42 hello.txt", false, 0, 0, 0, 0, 0, 0,
       0, "", "vsftpd's columns stand two places right: the names-only fall-back"},
      {Line('-', "1", "Jan", "1", "25:00", "x"), false, 0, 0, 0, 0, 0, 0, 0, "", "no such hour"},
  };
  for (const LongRow& r : rows) {
    SCOPED_TRACE(r.why);
    DirEntry e;
    const char* name = nullptr;
    uint32_t length = 0;
    bool parsed = ParseLongListingLine(r.line.c_str(), static_cast<uint32_t>(r.line.size()), &e, &name,
                                       &length);
    ASSERT_EQ(parsed, r.parses);
    if (!parsed) continue;
    EXPECT_EQ(e.flags, r.flags);
    EXPECT_EQ(e.day, r.day);
    EXPECT_EQ(e.month, r.month);
    EXPECT_EQ(e.hour, r.hour);
    EXPECT_EQ(e.minute, r.minute);
    EXPECT_EQ(e.year, r.year);
    EXPECT_EQ(e.size, r.size);
    EXPECT_EQ(std::string(name, length), r.name);
  }
  DirEntry e;
  const char* name = nullptr;
  uint32_t length = 0;
  ParseNamesOnlyLine("Part One.NCP", 12, &e, &name, &length);
  EXPECT_EQ(e.year, kYearNamesOnly);
  EXPECT_EQ(e.size, 0u);
  EXPECT_EQ(e.flags, 0);
  EXPECT_EQ(std::string(name, length), "Part One.NCP");
}

TEST(FileListing, NamesAsThePanelStoresThem) {
  struct Row {
    const char* listed;
    bool directory;
    const char* short_name;
    const char* extension;
    const char* long_name;
    const char* why;
  };
  const Row rows[] = {
      {"Part One.NCP", false, "part_one", "ncp", "Part One", "blanks become '_', files lower case"},
      {"progs", true, "PROGS", "", "progs", "directories upper case, no extension"},
      {"Data.JSON", false, "data", "jso", "Data", "the extension is cut to three"},
      {"my prog.a b", false, "my_prog", "a_b", "my prog", "blanks in the extension"},
      {"a.b.c", false, "a_b", "c", "a.b", "the last dot separates the extension"},
      {".profile", false, ".profile", "", ".profile", "a leading dot: kept unchanged"},
      {"..", true, "..", "", "..", "the parent"},
      {"averyveryverylongnamethatgoesonandon.txt", false, "averyver", "txt",
       "averyveryverylongnamethatgoes", "long names cut to 29 and 8"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.why);
    DirEntry e;
    memset(&e, 0x55, sizeof e);
    SetEntryName(&e, r.listed, r.directory);
    EXPECT_STREQ(e.short_name, r.short_name);
    EXPECT_STREQ(e.extension, r.extension);
    EXPECT_STREQ(e.long_name, r.long_name);
  }
}

TEST(FileListing, ServerAndPanelPaths) {
  char out[96];
  ASSERT_TRUE(ServerPath("FTP:\\", nullptr, out, sizeof out));
  EXPECT_STREQ(out, "/");
  ASSERT_TRUE(ServerPath("FTP:\\a\\sub\\", nullptr, out, sizeof out));
  EXPECT_STREQ(out, "/a/sub");
  ASSERT_TRUE(ServerPath("ftp:\\a\\", "Part One.NCP", out, sizeof out));
  EXPECT_STREQ(out, "/a/Part One.NCP");
  // The client takes 68 characters: a longer server path is refused.
  std::string deep = "FTP:\\" + std::string(60, 'd') + "\\";
  EXPECT_TRUE(ServerPath(deep.c_str(), nullptr, out, sizeof out));
  EXPECT_FALSE(ServerPath(deep.c_str(), "name.txt", out, sizeof out));

  ASSERT_TRUE(PanelPathFromPwd("\"/\"", out, sizeof out));
  EXPECT_STREQ(out, "FTP:\\");
  ASSERT_TRUE(PanelPathFromPwd("\"/a/b\"", out, sizeof out));
  EXPECT_STREQ(out, "FTP:\\a\\b\\");
  ASSERT_TRUE(PanelPathFromPwd("/x/", out, sizeof out));
  EXPECT_STREQ(out, "FTP:\\x\\");
  std::string long_answer = "\"/" + std::string(75, 'p') + "\"";
  EXPECT_FALSE(PanelPathFromPwd(long_answer.c_str(), out, 80)) << "refused, never cut";

  char message[62];
  MessagePath("c:\\short.txt", message);
  EXPECT_STREQ(message, "c:\\short.txt");
  std::string long_path = "c:\\" + std::string(70, 'x') + "\\end.txt";
  MessagePath(long_path.c_str(), message);
  EXPECT_EQ(std::string(message), "..." + long_path.substr(long_path.size() - 57));
}

TEST(FileListing, AttributeFile) {
  const std::vector<std::string> lines = {
      "c:\\cmos\\ignored.txt /R",  // before the section: ignored
      "$atr",
      "c:\\cmos\\locked.knf /R",
      "secret.txt\t/h",
      "*.NCP /H",
      "c:\\both.txt /R /H",
      "c:\\plain.txt no slash letter",
      "*.",
      "* end",
      "c:\\after.txt /R",
  };
  uint8_t records[20 * kAttrRecordSize];
  AttributeTable table{records, 0, 0};
  for (auto& l : lines) table.capacity += AttributeLineCounts(l.c_str(), static_cast<uint32_t>(l.size()));
  ASSERT_EQ(table.capacity, 6u);
  AttributeParser parser{&table, "c:\\system\\"};
  for (auto& l : lines) AttributeFeedLine(&parser, l.c_str(), static_cast<uint32_t>(l.size()));
  EXPECT_EQ(table.count, 4u);
  struct Row {
    const char* path;
    Attribute expected;
    const char* why;
  };
  const Row rows[] = {
      {"c:\\cmos\\locked.knf", kAttrProtected, "listed /R"},
      {"C:\\CMOS\\LOCKED.KNF", kAttrProtected, "any case"},
      {"c:\\system\\secret.txt", kAttrHidden, "relative to the system directory"},
      {"c:\\data\\x.ncp", kAttrHidden, "a pattern matches the extension anywhere"},
      {"c:\\both.txt", kAttrHidden, "/H wins over /R"},
      {"c:\\cmos\\ignored.txt", kAttrNormal, "lines before $ATR are ignored"},
      {"c:\\after.txt", kAttrNormal, "reading stopped at '* end'"},
      {"c:\\logs\\x@time.txt", kAttrProtected, "@TIME in any case protects"},
      {"c:\\@INFO\\a.knf", kAttrProtected, "@INFO protects"},
      {"c:\\free.knf", kAttrNormal, "no match"},
  };
  for (const Row& r : rows) EXPECT_EQ(AttributeOf(&table, r.path), r.expected) << r.why;
}

}  // namespace
