// The file manager through DirStart and DirCont over the simulator's
// files: listing and order, attributes, the copy and delete operations and
// their questions (uploads onto listed names too), the copy percentage,
// the FTP wait loop's bound with and without a clock, and copies under
// failing file services.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <functional>
#include <string>
#include <vector>

#include "anvil/file_panel.h"
#include "host/services/file_services.h"
#include "tests/support/file_panel.h"

namespace {

using testing_support::FilePanel;
using Names = std::vector<std::string>;

void SetAge(FilePanel& f, const std::string& dos, int days_old) {
  std::string path = f.box().files().Resolve(dos);
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = time(nullptr) - days_old * 86400L;
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

bool Contains(const std::vector<std::string>& texts, const std::string& t) {
  for (auto& s : texts)
    if (s == t) return true;
  return false;
}

int Count(const std::vector<std::string>& texts, const std::string& t) {
  int n = 0;
  for (auto& s : texts) n += s == t;
  return n;
}

TEST(FileManager, ListsDirectoriesFirstAndDrawsEachColumn) {
  FilePanel f("c:\\work\\");
  f.box().Write("c:\\work\\b.knf", std::string(327, 'x'));
  f.box().Write("c:\\work\\Part One.NCP", "%1 P\n");
  f.box().Write("c:\\work\\SUB\\inner.txt", "x");
  f.box().Write("c:\\work\\.hidden", "x");
  f.Start();
  auto texts = f.TakeTexts();
  EXPECT_TRUE(Contains(texts, "c:\\work\\"));
  EXPECT_TRUE(Contains(texts, "File/File")) << "name column / sort mode";
  EXPECT_TRUE(Contains(texts, "     [DIR]"));
  EXPECT_TRUE(Contains(texts, "       327")) << "the size right-aligned in ten columns";
  EXPECT_TRUE(Contains(texts, "part_one") && Contains(texts, "ncp"));
  EXPECT_EQ(f.Names(), (Names{"..", "SUB", ".hidden", "b.knf", "part_one.ncp"}));
  EXPECT_EQ(f.info().is_file, 0);
  // Program names: read from the header line of each NCP file, step by step.
  f.TakeTexts();
  f.Press("names");
  EXPECT_TRUE(Contains(f.TakeTexts(), "P")) << "the name after '%' and the number";
  f.Press("names");
  // Entering SUB and coming back puts the cursor on SUB again.
  ASSERT_TRUE(f.CursorTo("SUB"));
  f.Press("enter");
  EXPECT_STREQ(f.info().path, "c:\\work\\SUB\\");
  EXPECT_EQ(f.Names(), (Names{"..", "inner.txt"}));
  f.Press("enter");
  EXPECT_STREQ(f.info().path, "c:\\work\\");
  EXPECT_STREQ(f.info().name, "SUB");
  // At the panel's root ".." is not listed.
  f.Press("home enter");
  EXPECT_STREQ(f.info().path, "c:\\");
  EXPECT_EQ(f.Names(), (Names{"WORK"}));
}

TEST(FileManager, SortModeThreeNewestFileFirstParentOnTop) {
  FilePanel f("c:\\d\\");
  f.options().word769_set = true;
  f.options().word769 = 0x12;  // low digit 2: sort mode 3, file names
  for (auto n : {"a.knf", "m.knf", "z.knf"}) f.box().Write(std::string("c:\\d\\") + n, "x");
  f.box().Write("c:\\d\\ZDIR\\x", "x");
  f.box().Write("c:\\d\\ADIR\\x", "x");
  SetAge(f, "c:\\d\\a.knf", 3);
  SetAge(f, "c:\\d\\m.knf", 9);
  SetAge(f, "c:\\d\\z.knf", 1);
  f.Start();
  EXPECT_EQ(f.Names(), (Names{"..", "ADIR", "ZDIR", "z.knf", "a.knf", "m.knf"}));
  // Mode 4 (long names), then 1: the cursor stays on its entry.
  ASSERT_TRUE(f.CursorTo("a.knf"));
  f.Press("sort");
  EXPECT_STREQ(f.info().name, "a.knf");
  EXPECT_EQ(f.Names(), (Names{"..", "ADIR", "ZDIR", "a.knf", "m.knf", "z.knf"}));
  f.Press("sort sort");  // 1, then 2: newest first
  EXPECT_EQ(f.Names(), (Names{"..", "ADIR", "ZDIR", "z.knf", "a.knf", "m.knf"}));
}

TEST(FileManager, AttributePatternHidesFilesOutsideModeSix) {
  FilePanel f("c:\\d\\");
  f.box().Write("c:\\system\\attrib.knf", "c:\\d\\a.knf /H\n$ATR\n*.NCP /H\n* end\nc:\\d\\b.knf /H\n");
  f.box().Write("c:\\d\\a.knf", "x");
  f.box().Write("c:\\d\\b.knf", "x");
  f.box().Write("c:\\d\\p.ncp", "x");
  f.box().Write("c:\\d\\Q.NCP", "x");
  f.Start();
  EXPECT_EQ(f.Names(), (Names{"..", "a.knf", "b.knf"}));
  FilePanel six("c:\\d\\");
  six.box().Write("c:\\system\\attrib.knf", "$ATR\n*.NCP /H\n");
  six.box().Write("c:\\d\\p.ncp", "x");
  six.options().mode = 6;
  six.Start();
  EXPECT_EQ(six.Names(), (Names{"..", "p.ncp"}));
}

TEST(FileManager, ProtectedFilesAreNeitherDeletedNorOverwritten) {
  FilePanel f("c:\\d\\");
  f.box().Write("c:\\system\\attrib.knf", "$ATR\nc:\\d\\keep.knf /R\nkeep.knf /R\n");
  f.box().Write("c:\\d\\keep.knf", "new");
  f.box().Write("c:\\d\\x@info.knf", "info");
  f.box().Write("c:\\system\\keep.knf", "old");
  f.Start();
  ASSERT_TRUE(f.CursorTo("keep.knf"));
  f.Press("delete enter");  // "Delete selected items?" - Yes
  EXPECT_EQ(f.host_message(), 2313);
  EXPECT_EQ(f.box().Read("c:\\d\\keep.knf"), "new");
  f.ClearMessages();
  ASSERT_TRUE(f.CursorTo("x@info.knf"));
  f.Press("delete enter");
  EXPECT_EQ(f.host_message(), 2313) << "@INFO protects without the attribute file";
  EXPECT_TRUE(f.box().Exists("c:\\d\\x@info.knf"));
  f.ClearMessages();
  // ENTER copies to the system directory, where keep.knf is protected.
  ASSERT_TRUE(f.CursorTo("keep.knf"));
  f.Press("enter enter enter");  // "Copy as...": to OK, press OK
  EXPECT_EQ(f.host_message(), 2313);
  EXPECT_EQ(f.box().Read("c:\\system\\keep.knf"), "old");
  EXPECT_EQ(f.info().message, 0u);
  EXPECT_EQ(f.box().files().open_handles(), 0);
}

TEST(FileManager, NoToAllSkipsEveryExistingDestinationAskingOnce) {
  FilePanel f("c:\\src\\");
  for (auto n : {"a.knf", "b.knf", "c.knf"}) f.box().Write(std::string("c:\\src\\") + n, "new");
  f.box().Write("c:\\dst\\a.knf", "old a");
  f.box().Write("c:\\dst\\c.knf", "old c");
  f.Start();
  f.Press("markall clip home enter");  // mark, remember, up to c:\.
  ASSERT_TRUE(f.CursorTo("DST"));
  f.Press("enter");
  ASSERT_STREQ(f.info().path, "c:\\dst\\");
  f.TakeTexts();
  f.Press("paste");  // asks about a.knf
  f.Press("tab tab tab enter");  // Yes, No, Yes to all, [No to all]
  auto texts = f.TakeTexts();
  EXPECT_EQ(Count(texts, "Are you sure to rewrite existing file?"), 1);
  EXPECT_EQ(f.box().Read("c:\\dst\\a.knf"), "old a");
  EXPECT_EQ(f.box().Read("c:\\dst\\b.knf"), "new");
  EXPECT_EQ(f.box().Read("c:\\dst\\c.knf"), "old c");
  EXPECT_EQ(f.Names(), (Names{"..", "a.knf", "b.knf", "c.knf"}));
  // "Yes" overwrites one file and asks again for the next.
  f.Press("paste enter");
  texts = f.TakeTexts();
  EXPECT_EQ(f.box().Read("c:\\dst\\a.knf"), "new");
  EXPECT_EQ(Count(texts, "Are you sure to rewrite existing file?"), 2);
  f.Press("tab enter");  // No for b.knf
  f.Press("tab enter");  // No for c.knf
  EXPECT_EQ(f.box().Read("c:\\dst\\c.knf"), "old c");
  EXPECT_EQ(f.info().message, 0u);
  EXPECT_EQ(f.box().files().open_handles(), 0);
}

// The FTP client through fake table entries: one that never reports, so
// the step must end at the wait loop's bound.
volatile uint32_t* g_ticks = nullptr;
int g_cont_calls = 0, g_submits = 0;
extern "C" void SilentCont() {
  ++g_cont_calls;
  *g_ticks = *g_ticks + 1000;  // every pass takes a second of the panel's clock
}
extern "C" int SilentSubmit(const char*, void*, void*, void*) {
  ++g_submits;
  return 1;
}

TEST(FileManager, AClientThatNeverReportsEndsTheStepAtTheBound) {
  FilePanel f("FTP:\\");
  g_ticks = &f.ticks();
  g_cont_calls = g_submits = 0;
  f.Start();  // loads and reads with an empty table first
  EXPECT_EQ(f.panel_message(), 4212u);
  EXPECT_EQ(f.panel_text(), "93:FTP driver was not initialized") << "no entry, no call";
  f.ClearMessages();
  uint32_t* table = f.runner().anvil().functions();
  table[285] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&SilentCont));
  table[725] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&SilentSubmit));
  f.Start();
  EXPECT_EQ(g_submits, 1);
  EXPECT_GE(g_cont_calls, 30);
  EXPECT_LE(g_cont_calls, 32) << "30 s of silence at one second a pass";
  EXPECT_EQ(f.panel_message(), 4212u);
  EXPECT_EQ(f.panel_text(), "56:Data transfer error - FTP server does not answer");
  EXPECT_EQ(f.host_message(), 0) << "the first message wins";
  EXPECT_EQ(f.Names(), Names{});
  // Without the panel's clock the wait counts its silent passes instead.
  f.info().frequency = 0;
  g_cont_calls = 0;
  f.ClearMessages();
  f.Start();
  EXPECT_EQ(g_cont_calls, 2000001) << "2,000,000 silent passes, then the one that gives up";
  EXPECT_EQ(f.panel_text(), "56:Data transfer error - FTP server does not answer");
}

// A scripted FTP client behind the host's table: each retrieve writes the
// local file (through the sandbox) and reports as the row says; a client
// still busy afterwards refuses the next command.
struct ScriptedClient {
  testing_support::FilePanel* panel = nullptr;
  std::string content;       // what a retrieve writes
  bool complete = true;      // the whole content, else its first half
  int error = 0;             // reported before the completion (0: none)
  bool busy_after = false;   // the transfer stalled after its completion
  bool retrieved = false;
  std::string listing = "data.bin\r\n";  // what both listings write
  std::string stored;                       // the server path of the last store
  typedef void (*Error)(int);
  typedef void (*Done)(int, const char*);
  Error on_error = nullptr;
  Done on_done = nullptr;
  int pending = 0;  // the operation the next pass ends: 4 retrieve, 3 PWD, 6 CWD, 1/2 listings
  std::string local;
};
ScriptedClient g_client;

extern "C" void ScriptedCont() {
  ScriptedClient& c = g_client;
  int op = c.pending;
  c.pending = 0;
  if (op == 4) {
    c.retrieved = true;
    std::string dos = c.local;
    c.panel->box().Write(dos, c.complete ? c.content : c.content.substr(0, c.content.size() / 2));
    if (c.error) c.on_error(c.error);
    c.on_done(c.error ? 0 : 4, nullptr);
  } else if (op == 3) {
    c.on_done(3, "\"/\"");
  } else if (op == 6) {
    c.on_done(6, nullptr);
  } else if (op == 1 || op == 2) {
    c.panel->box().Write("c:\\system\\_FTPTEMP.BIN", c.listing);
    c.on_done(op, nullptr);
  } else if (op == 5) {
    c.on_done(5, nullptr);
  }
}
int Submit(int op, ScriptedClient::Error e, ScriptedClient::Done d) {
  g_client.on_error = e, g_client.on_done = d, g_client.pending = op;
  return 1;
}
extern "C" int ScriptedCwd(const char*, ScriptedClient::Error e, ScriptedClient::Done d, void*) {
  return Submit(6, e, d);
}
// Both listings write the same names-only file: the long form fails to
// parse and the panel falls back to names.
extern "C" int ScriptedListLong(const char*, ScriptedClient::Error e, ScriptedClient::Done d, void*) {
  return Submit(2, e, d);
}
extern "C" int ScriptedList(const char*, ScriptedClient::Error e, ScriptedClient::Done d, void*) {
  return Submit(1, e, d);
}
extern "C" int ScriptedPwd(ScriptedClient::Error e, ScriptedClient::Done d, void*) {
  if (g_client.busy_after && g_client.retrieved) return 0;
  g_client.on_error = e, g_client.on_done = d, g_client.pending = 3;
  return 1;
}
extern "C" int ScriptedRetr(const char*, const char* local, ScriptedClient::Error e,
                            ScriptedClient::Done d, void*) {
  g_client.on_error = e, g_client.on_done = d, g_client.local = local, g_client.pending = 4;
  return 1;
}

extern "C" int ScriptedStor(const char*, const char* remote, ScriptedClient::Error e,
                            ScriptedClient::Done d, void*) {
  g_client.stored = remote;
  return Submit(5, e, d);
}

// The scripted client in the panel's table of function entries.
void InstallScriptedClient(FilePanel& f) {
  uint32_t* table = f.runner().anvil().functions();
  auto put = [&](int index, auto fn) { table[index] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(fn)); };
  put(285, &ScriptedCont);
  put(725, &ScriptedCwd);
  put(709, &ScriptedListLong);
  put(737, &ScriptedList);
  put(713, &ScriptedPwd);
  put(717, &ScriptedRetr);
  put(721, &ScriptedStor);
  g_client = ScriptedClient();
  g_client.panel = &f;
}

TEST(FileManager, ARetrieveCountsOnlyWhenItEndedWhole) {
  struct Row {
    bool complete;
    int error;
    bool busy_after;
    bool copied;
    const char* why;
  };
  const Row rows[] = {
      {true, 0, false, true, "a whole transfer replaces the old file"},
      {false, 0, true, false, "a stall reported after the completion: the client stays busy"},
      {false, -57, false, false, "the server refused the transfer"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.why);
    FilePanel f("c:\\system\\");
    f.box().Write("c:\\dst\\data.bin", "old");
    f.Start();
    InstallScriptedClient(f);
    g_client.content = std::string(3000, 'n');
    g_client.complete = r.complete;
    g_client.error = r.error;
    g_client.busy_after = r.busy_after;
    strcpy(f.info().path, "FTP:\\");
    f.Start();
    ASSERT_EQ(f.Names(), Names{"data.bin"});
    f.Press("clip");
    strcpy(f.info().path, "c:\\dst\\");
    f.Start();
    f.Press("paste enter enter enter");  // "Copy as...", OK, then Yes
    EXPECT_EQ(f.box().Read("c:\\dst\\data.bin"), r.copied ? g_client.content : "old");
    EXPECT_EQ(f.panel_message(), r.copied ? 0u : 4208u) << f.panel_text();
    EXPECT_FALSE(f.box().Exists("c:\\dst\\~ANVCOPY.TMP"));
    EXPECT_EQ(f.box().files().open_handles(), 0);
  }
}

// An upload cannot ask the server whether its destination exists: the
// listing shown tells, so a listed name gets the overwrite question and the
// store goes to that name; an unlisted one is stored at once.
TEST(FileManager, AnUploadOntoAListedNameAsksFirst) {
  FilePanel f("c:\\src\\");
  f.box().Write("c:\\src\\data.bin", "new");
  f.box().Write("c:\\src\\fresh.bin", "x");
  f.Start();
  InstallScriptedClient(f);
  g_client.listing = "other.bin\r\ndata.bin\r\n";
  ASSERT_TRUE(f.CursorTo("data.bin"));
  f.Press("clip");
  strcpy(f.info().path, "FTP:\\");
  f.Start();
  ASSERT_EQ(f.Names(), (Names{"data.bin", "other.bin"}));
  f.TakeTexts();
  f.Press("paste enter enter");  // "Copy as...", OK
  auto texts = f.TakeTexts();
  EXPECT_EQ(Count(texts, "Are you sure to rewrite existing file?"), 1);
  EXPECT_TRUE(Contains(texts, "data.bin     ")) << "the question names the listed entry";
  EXPECT_EQ(g_client.stored, "") << "nothing stored before the answer";
  f.Press("enter");  // Yes
  EXPECT_EQ(g_client.stored, "/data.bin");
  EXPECT_EQ(f.panel_message(), 0u) << f.panel_text();
  // A name the listing lacks goes up without a question.
  strcpy(f.info().path, "c:\\src\\");
  f.Start();
  ASSERT_TRUE(f.CursorTo("fresh.bin"));
  f.Press("clip");
  strcpy(f.info().path, "FTP:\\");
  f.Start();
  f.TakeTexts();
  f.Press("paste enter enter");
  EXPECT_EQ(Count(f.TakeTexts(), "Are you sure to rewrite existing file?"), 0);
  EXPECT_EQ(g_client.stored, "/fresh.bin");
}

// The percentage a local copy shows: exact past 42 MB, where copied x 100
// leaves 32 bits, and 100 for an empty file.
TEST(FileManager, CopyPercentOfAnySize) {
  struct Row {
    uint64_t copied;
    uint32_t size;
    uint32_t percent;
  } rows[] = {{0, 0, 100}, {0, 50000000, 0}, {25000000, 50000000, 50},
              {49999999, 50000000, 99}, {50000000, 50000000, 100}, {4294967295u, 4294967295u, 100}};
  for (const Row& r : rows) EXPECT_EQ(anvil::CopyPercent(r.copied, r.size), r.percent) << r.copied << " of " << r.size;
}

// A copy over an existing file with each file-service call of the copy
// failing once, and with reads that come short.
class CopyFaults : public ::testing::Test {
 protected:
  static constexpr size_t kSize = 20000;  // three reads of up to 8192 bytes
  std::string old_content = std::string(5000, 'o');
  std::string new_content = std::string(kSize, 'n');

  struct Result {
    std::string destination;
    uint32_t message;
    std::string text;
    int handles_left;
    bool leftovers;
  };

  // Copies c:\src\data.bin to the system directory (c:\dst\) with "Yes";
  // `arm` injects the fault just before the copy starts. Returns what the
  // copy left; *calls (when given) counts the copy's calls per slot.
  Result Run(const std::function<void(host::FileServices&)>& arm, int* calls = nullptr) {
    FilePanel f("c:\\src\\");
    f.options().system_directory = "c:\\dst\\";
    f.box().Write("c:\\src\\data.bin", new_content);
    f.box().Write("c:\\dst\\data.bin", old_content);
    f.Start();
    EXPECT_TRUE(f.CursorTo("data.bin"));
    f.Press("enter enter");  // "Copy as...", focus on OK
    host::FileServices& files = f.box().files();
    int before[14];
    for (int s = 0; s < 14; ++s) before[s] = files.calls(s);
    arm(files);
    f.runner().Cont({1, 255});  // OK: the copy starts with the next step
    f.runner().Cont();          // the existing destination: the question
    f.runner().Cont({1, 255});  // Yes
    if (calls)
      for (int s = 0; s < 14; ++s) calls[s] = files.calls(s) - before[s];
    f.runner().Settle();
    Result r;
    r.destination = f.box().Read("c:\\dst\\data.bin");
    r.message = f.panel_message();
    r.text = f.panel_text();
    r.handles_left = files.open_handles();
    r.leftovers = f.box().Exists("c:\\dst\\~ANVCOPY.TMP") || f.box().Exists("c:\\dst\\~ANVOLD.TMP");
    files.ClearFaults();
    return r;
  }
};

TEST_F(CopyFaults, EveryFailingCallKeepsTheOldFile) {
  int calls[14];
  Result clean = Run([](host::FileServices&) {}, calls);
  ASSERT_EQ(clean.destination, new_content);
  ASSERT_EQ(clean.message, 0u);
  ASSERT_FALSE(clean.leftovers);
  const int slots[] = {kFspOpen, kFspRead, kFspWrite, kFspClose, kFspRename, kFspDelete};
  int runs = 0;
  for (int slot : slots) {
    ASSERT_GT(calls[slot], 0) << "slot " << slot;
    for (int nth = 1; nth <= calls[slot]; ++nth) {
      SCOPED_TRACE("slot " + std::to_string(slot) + ", call " + std::to_string(nth));
      Result r = Run([&](host::FileServices& files) { files.FailCall(slot, nth, host::kHostIoError); });
      EXPECT_EQ(r.destination, old_content);
      EXPECT_EQ(r.message, 4208u);
      EXPECT_EQ(r.text, "c:\\dst\\data.bin");
      EXPECT_FALSE(r.leftovers);
      // A close the host refused leaves its handle with the host.
      EXPECT_EQ(r.handles_left, slot == kFspClose ? r.handles_left : 0);
      EXPECT_LE(r.handles_left, 1);
      ++runs;
    }
  }
  EXPECT_GE(runs, 15);
  for (int nth = 1; nth <= calls[kFspRead]; ++nth) {
    SCOPED_TRACE("read " + std::to_string(nth) + " delivers nothing");
    Result r = Run([&](host::FileServices& files) { files.ShortRead(nth, 0); });
    EXPECT_EQ(r.destination, old_content);
    EXPECT_EQ(r.message, 4208u);
    EXPECT_FALSE(r.leftovers);
    EXPECT_EQ(r.handles_left, 0);
  }
  // Reads that come short but go on make a whole copy.
  Result r = Run([](host::FileServices& files) { files.ShortRead(1, 100); files.ShortRead(2, 1); });
  EXPECT_EQ(r.destination, new_content);
  EXPECT_EQ(r.message, 0u);
}

}  // namespace
