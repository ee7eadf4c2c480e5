// The event log through libVitals' exports: the export to EVENTS.TXT,
// the critical-event file, the event screen's pages and filters, and
// every file call failing once without losing an event or the old file.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/vitals_host.h"
#include "vitals/event_ring.h"
#include "vitals/event_screen.h"

using testing_support::NumberedEvents;
using testing_support::VitalsHost;

namespace {

constexpr char kHeader[] =
    "$EVN\r\nCOUNT EVENT   DESCRIPTION         TIME  CLASS\r\n"
    "---------------------------------------------\r\n";
const char kEvents[] = "c:\\events\\EVENTS.TXT";
const char kCritical[] = "c:\\events\\EVCRITIC.TXT";

std::vector<std::string> Lines(const std::string& body, size_t width) {
  std::vector<std::string> lines;
  for (size_t at = 0; at + width <= body.size(); at += width) lines.push_back(body.substr(at, width));
  return lines;
}

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The export's lines after the header; fails the test on a bad layout.
std::vector<std::string> ExportedLines(VitalsHost& host) {
  std::string file = host.box().Read(kEvents);
  EXPECT_EQ(file.substr(0, sizeof kHeader - 1), kHeader);
  std::string body = file.substr(std::min(file.size(), sizeof kHeader - 1));
  EXPECT_EQ(body.size() % kExportLineBytes, 0u);
  auto lines = Lines(body, kExportLineBytes);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].substr(45), "\r\n");
    EXPECT_EQ(std::stoul(lines[i].substr(0, 6)), i + 1);
  }
  return lines;
}

std::string Description(const std::string& line, size_t at) { return Trim(line.substr(at, 19)); }

TEST(VitalsEvents, ExportsTheRingOldestFirst) {
  struct Case {
    const char* why;
    std::function<void(VitalsHost&)> setup;
    uint32_t limit;
    size_t lines;
    const char* first;  // description of the first and last line
    const char* last;
  } cases[] = {
      {"an empty ring: only the header", [](VitalsHost&) {}, 0, 0, "", ""},
      {"limit BCD 150 of 1000: the 150 newest",
       [](VitalsHost& h) { h.AddEvents(NumberedEvents(1000)); }, 0x150, 150, "event 850", "event 999"},
      {"limit 99999 is above the ring: all", [](VitalsHost& h) { h.AddEvents(NumberedEvents(1000)); }, 0x99999,
       1000, "event 0", "event 999"},
      {"a wrapped ring: 32768 lines from the slot at the write offset",
       [](VitalsHost& h) {
         std::vector<EVENT_RECORD> events;
         host::ParseEventRing(NumberedEvents(7), &events);
         host::FillWrapped(h.memory(), events);
       },
       0, 32768, "event 0", "event 6"},
      {"a write offset off the 32-byte grid is rounded down",
       [](VitalsHost& h) {
         h.AddEvents(NumberedEvents(10));
         h.memory().Set<uint32_t>(kEventWriteOffset, 8 * 32 + 5);
       },
       0, 8, "event 0", "event 7"},
      {"a write offset past the ring stays inside it",
       [](VitalsHost& h) {
         h.AddEvents(NumberedEvents(10));
         h.memory().Set<uint32_t>(kEventWriteOffset, 0x100000 + 2 * 32);
       },
       0, 2, "event 0", "event 1"},
  };
  for (const Case& c : cases) {
    VitalsHost host;
    c.setup(host);
    host.runner().event_parameters()[0] = c.limit;
    host.runner().WriteEvent();
    EXPECT_EQ(host.runner().events().result, 0) << c.why;
    auto lines = ExportedLines(host);
    ASSERT_EQ(lines.size(), c.lines) << c.why;
    if (c.lines == 0) continue;
    EXPECT_EQ(Description(lines.front(), 14), c.first) << c.why;
    EXPECT_EQ(Description(lines.back(), 14), c.last) << c.why;
  }
}

TEST(VitalsEvents, OddBytesKeepTheWidths) {
  VitalsHost host;
  host.AddEvents("07:02:40 A1203 8 !Torch collision\n");
  // Control bytes in code and description, an hour above 99.
  EVENT_RECORD* e = reinterpret_cast<EVENT_RECORD*>(host.memory().At(kEventRingOffset, 32));
  e->hour = 150;
  e->code[1] = 0x01;
  e->description[0] = 0x1F;
  e->event_class = 0;
  host.runner().WriteEvent();
  auto lines = ExportedLines(host);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "1     A 203!   orch collision     **:02:40   \r\n");
  host.memory().Set<uint32_t>(kEventScanRequest, 0);
  host.box().Write(kCritical, "");
  host.runner().WriteCritical();
  std::string critical = host.box().Read(kCritical);
  ASSERT_GE(critical.size(), kCriticalLineBytes);
  EXPECT_EQ(critical.substr(critical.size() - kCriticalLineBytes), "A 203    orch collision     **:02:40   \r\n");
  char row[kScreenRowBytes];
  ScreenRow(*e, row);
  EXPECT_EQ(std::string(row, sizeof row), "A 203   orch collision     **:02:40  ");  // mark written
}

// A ring of 100 events, every event from 20 to 79 critical.
void CriticalRing(VitalsHost& host) {
  std::string text;
  for (int k = 0; k < 100; ++k) {
    char line[64];
    snprintf(line, sizeof line, "10:00:%02d C%d 8 %sevent %d\n", k % 60, k, k >= 20 && k < 80 ? "!" : "", k);
    text += line;
  }
  host.AddEvents(text);
  host.memory().Set<uint16_t>(kEventYear, 2026);
  host.memory().Set<uint8_t>(kEventDay, 7);
  host.memory().Set<uint8_t>(kEventMonth, 12);
  host.box().Write(kCritical, "");
}

int MarksLeft(VitalsHost& host) {
  int marked = 0;
  for (uint32_t slot = 0; slot < 100; ++slot) marked += host::EventInSlot(host.memory(), slot).mark == '!';
  return marked;
}

// Event lines of EVCRITIC.TXT (the date line and blank lines left out).
std::vector<std::string> CriticalLines(VitalsHost& host) {
  std::vector<std::string> lines;
  std::string file = host.box().Read(kCritical);
  for (size_t at = 0; at < file.size();) {
    size_t end = file.find("\r\n", at);
    std::string line = file.substr(at, end - at);
    if (line.size() == kCriticalLineBytes - 2) lines.push_back(line);
    at = end == std::string::npos ? file.size() : end + 2;
  }
  return lines;
}

TEST(VitalsEvents, CriticalEventsAppendedOnceWithTheDateFirst) {
  VitalsHost host;
  CriticalRing(host);
  // Request 1 scans the 200 newest (all 100); it is cleared when read.
  host.memory().Set<uint32_t>(kEventScanRequest, 1);
  host.runner().WriteCritical();
  EXPECT_EQ(host.runner().events().result, 0);
  EXPECT_EQ(host.memory().Get<uint32_t>(kEventScanRequest), 0u);
  EXPECT_EQ(MarksLeft(host), 0);
  std::string file = host.box().Read(kCritical);
  EXPECT_EQ(file.substr(0, 15), "\r\n7.12.2026\r\n\r\n");
  auto lines = CriticalLines(host);
  ASSERT_EQ(lines.size(), 60u);
  EXPECT_EQ(lines[0], "C20     event 20            10:00:20  8");
  // Another critical event later: appended, no second date line.
  host.AddEvents("11:00:00 C100 8 !late event\n");
  host.runner().WriteCritical();
  file = host.box().Read(kCritical);
  EXPECT_EQ(file.find("2026", 20), std::string::npos);
  EXPECT_EQ(CriticalLines(host).back(), "C100    late event          11:00:00  8");
}

TEST(VitalsEvents, EveryFileCallFailingOnceLosesNothing) {
  struct Fault {
    const char* why;
    int slot, nth;
  };
  // The export: the old EVENTS.TXT survives any failure.
  const Fault export_faults[] = {{"open", kFspOpen, 1}, {"header write", kFspWrite, 1},
                                 {"line write", kFspWrite, 3}, {"close", kFspClose, 1}};
  for (const Fault& f : export_faults) {
    VitalsHost host;
    host.AddEvents(NumberedEvents(100));
    host.box().Write(kEvents, "the previous export");
    host.box().files().FailCall(f.slot, f.nth, host::kHostIoError);
    host.runner().WriteEvent();
    EXPECT_EQ(host.runner().events().result, static_cast<uint8_t>(host::kHostIoError)) << f.why;
    EXPECT_EQ(host.box().Read(kEvents), "the previous export") << f.why;
    EXPECT_EQ(host.box().files().open_handles(), f.slot == kFspClose ? 1 : 0) << f.why;
  }
  // The critical file: 60 marked events go out in two writes after the date.
  const Fault critical_faults[] = {{"open", kFspOpen, 1},        {"seek", kFspSeek, 1},
                                   {"date write", kFspWrite, 1}, {"first lines", kFspWrite, 2},
                                   {"second lines", kFspWrite, 3}, {"close", kFspClose, 1}};
  for (const Fault& f : critical_faults) {
    VitalsHost host;
    CriticalRing(host);
    host.box().files().FailCall(f.slot, f.nth, host::kHostIoError);
    host.runner().WriteCritical();
    EXPECT_EQ(host.runner().events().result, static_cast<uint8_t>(host::kHostIoError)) << f.why;
    EXPECT_EQ(host.box().files().open_handles(), f.slot == kFspClose ? 1 : 0) << f.why;
    size_t in_file = CriticalLines(host).size();
    if (f.slot == kFspClose) {
      EXPECT_EQ(MarksLeft(host), 60) << f.why;  // written, but not known to be in the file
    } else {
      EXPECT_EQ(static_cast<size_t>(60 - MarksLeft(host)), in_file) << f.why << ": marks cleared = lines in the file";
    }
    // The next call writes the rest: every event at least once, the date line once.
    host.runner().WriteCritical();
    EXPECT_EQ(host.runner().events().result, 0) << f.why;
    EXPECT_EQ(MarksLeft(host), 0) << f.why;
    auto lines = CriticalLines(host);
    for (int k = 20; k < 80; ++k) {
      std::string code = "C" + std::to_string(k);
      bool found = false;
      for (const std::string& line : lines) found |= line.compare(0, code.size() + 1, code + " ") == 0;
      EXPECT_TRUE(found) << f.why << ": " << code;
    }
    std::string file = host.box().Read(kCritical);
    EXPECT_EQ(file.find("7.12.2026"), file.rfind("7.12.2026")) << f.why;
    EXPECT_NE(file.find("7.12.2026"), std::string::npos) << f.why;
  }
}

TEST(VitalsEvents, PathsAndAMissingRing) {
  {
    VitalsHost host;
    host.runner().SetDirectory("c:\\events");  // no final "\"
    host.runner().WriteEvent();
    EXPECT_EQ(host.runner().events().result, 0);
    EXPECT_TRUE(host.box().Exists(kEvents));
  }
  {
    VitalsHost host;
    host.runner().SetDirectory("c:\\" + std::string(260, 'd'));
    host.runner().WriteEvent();
    EXPECT_EQ(host.runner().events().result, kEventPathTooLong);
    EXPECT_EQ(host.box().files().calls(kFspOpen), 0);
  }
  {
    // Byte 22 = 0: the host has no ring; nothing but the caption.
    VitalsHost host;
    host.AddEvents(NumberedEvents(5));
    host.runner().events().available = 0;
    host.runner().events().result = 77;
    host.runner().WriteEvent();
    host.runner().WriteCritical();
    host.runner().EventPrefix();
    auto texts = host.TakeTexts();
    host.runner().EventData(kEventKeyExport);
    EXPECT_EQ(host.box().files().calls(kFspOpen), 0);
    EXPECT_EQ(host.runner().events().result, 77);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, " Events  (needs version 40.31) ");
    EXPECT_TRUE(host.display().recorder().calls().empty());
  }
}

// The screen's rows (descriptions, top to bottom) after the keys.
struct Page {
  std::vector<std::string> rows;
  std::string filter, state;
};

Page RunKeys(VitalsHost& host, const std::vector<uint8_t>& keys) {
  host.runner().EventPrefix();
  for (uint8_t key : keys) host.runner().EventData(key);
  Page page;
  EventWindow w = EventWindowOf(host.runner().events().layout);
  for (const auto& t : host.TakeTexts()) {
    if (t.x == w.filter_x && t.y == 96) page.filter = t.text;
    if (t.x == w.state_x && t.y == 96) page.state = t.text;
  }
  return page;
}

std::vector<std::string> RowsOf(VitalsHost& host) {
  std::vector<std::string> rows;
  auto texts = host.TakeTexts();
  int x = EventWindowOf(host.runner().events().layout).text_x;
  for (int i = 0; i < 18; ++i) {
    std::string row = VitalsHost::TextAt(texts, x, 116 + 16 * i);
    if (row != "?") rows.push_back(Trim(row.substr(7, 19)));
  }
  return rows;
}

void WrappedFive(VitalsHost& h) {
  std::vector<EVENT_RECORD> events;
  host::ParseEventRing(NumberedEvents(5), &events);
  host::FillWrapped(h.memory(), events);
}

TEST(VitalsEvents, ScreenPagesAndFilters) {
  struct Case {
    const char* why;
    std::function<void(VitalsHost&)> setup;
    std::vector<uint8_t> keys;
    size_t rows;
    const char* first;
    const char* last;
  } cases[] = {
      {"live: the 18 newest, the newest at the bottom", [](VitalsHost& h) { h.AddEvents(NumberedEvents(100)); },
       {kEventKeyLive}, 18, "event 82", "event 99"},
      {"page back twice, forward once",
       [](VitalsHost& h) { h.AddEvents(NumberedEvents(100)); },
       {kEventKeyLive, kEventKeyLive, kEventKeyBack, kEventKeyBack, kEventKeyForward}, 18, "event 73", "event 90"},
      {"forward never passes the stop position",
       [](VitalsHost& h) { h.AddEvents(NumberedEvents(100)); },
       {kEventKeyLive, kEventKeyLive, kEventKeyBack, kEventKeyForward, kEventKeyForward}, 18, "event 82",
       "event 99"},
      {"page back at the oldest event keeps a full page",
       [](VitalsHost& h) { h.AddEvents(NumberedEvents(20)); },
       {kEventKeyLive, kEventKeyLive, kEventKeyBack, kEventKeyBack}, 18, "event 0", "event 17"},
      // Slot k holds event k % 5 and slots 0 to 4 events 0 to 4 again: the
      // live page runs from slot 32755 over the ring's end to slot 4.
      {"a ring that has gone round: the page across its end", WrappedFive, {kEventKeyLive}, 18, "event 0",
       "event 4"},
      {"and nine back: slots 32746 to 32763", WrappedFive, {kEventKeyLive, kEventKeyLive, kEventKeyBack}, 18,
       "event 1", "event 3"},
      {"filter 2 (\"8 \"): classes 8 and blank",
       [](VitalsHost& h) {
         h.AddEvents(NumberedEvents(30, 0, "1") + NumberedEvents(3, 30, "8") + NumberedEvents(2, 33, "_") +
                     NumberedEvents(10, 35, "1"));
       },
       {kEventKeyLive, kEventKeyLive, kEventKeyFilter, kEventKeyFilter}, 5, "event 30", "event 34"},
      {"fewer matching events than rows in a whole wrapped ring: one pass, no repeats",
       [](VitalsHost& h) {
         std::vector<EVENT_RECORD> events;
         host::ParseEventRing(NumberedEvents(32767, 0, "1") + NumberedEvents(1, 40000, "8"), &events);
         host::FillWrapped(h.memory(), events);
       },
       {kEventKeyLive, kEventKeyLive, kEventKeyFilter, kEventKeyFilter}, 1, "event 40000", "event 40000"},
  };
  for (const Case& c : cases) {
    VitalsHost host;
    c.setup(host);
    host.runner().EventPrefix();
    for (size_t i = 0; i < c.keys.size(); ++i) {
      if (i + 1 == c.keys.size()) host.TakeTexts();  // the rows the last call draws
      host.runner().EventData(c.keys[i]);
    }
    auto rows = RowsOf(host);
    ASSERT_EQ(rows.size(), c.rows) << c.why;
    EXPECT_EQ(rows.front(), c.first) << c.why;
    EXPECT_EQ(rows.back(), c.last) << c.why;
  }
}

TEST(VitalsEvents, CaptionTextsInsideTheWindow) {
  for (char layout : {'C', 'L', 'P', 'x'}) {
    VitalsHost host;
    host.runner().events().layout = layout;
    host.runner().event_parameters()[2] = 0x00000045;  // filter 1 "45"
    Page page = RunKeys(host, {kEventKeyFilter});
    EventWindow w = EventWindowOf(layout);
    EXPECT_EQ(page.filter, "Filter:45") << layout;
    EXPECT_EQ(page.state, "STOP ") << layout;
    // Both end inside the window.
    EXPECT_LE(w.state_x + 5 * 8, w.x + w.width) << layout;
    EXPECT_GE(w.filter_x, w.x) << layout;
  }
  // An export from the screen marks the host's byte "D".
  VitalsHost host;
  host.AddEvents(NumberedEvents(3));
  RunKeys(host, {kEventKeyExport});
  EXPECT_EQ(host.runner().done(), 'D');
  EXPECT_EQ(ExportedLines(host).size(), 3u);
}

}  // namespace

namespace {

TEST(VitalsEvents, AStoppedPageKeepsItsSnapshot) {
  VitalsHost host;
  host.AddEvents(NumberedEvents(30));
  host.runner().EventPrefix();
  host.runner().EventData(kEventKeyLive);
  host.runner().EventData(kEventKeyLive);  // stopped on events 12 to 29
  host.AddEvents(NumberedEvents(5, 30));   // the host goes on recording
  host.TakeTexts();
  host.runner().EventData(0);
  auto rows = RowsOf(host);
  ASSERT_EQ(rows.size(), 18u);
  EXPECT_EQ(rows.front(), "event 12");
  EXPECT_EQ(rows.back(), "event 29");
  host.runner().EventData(kEventKeyLive);  // live again: the newest
  rows = RowsOf(host);
  ASSERT_EQ(rows.size(), 18u);
  EXPECT_EQ(rows.back(), "event 34");
}

}  // namespace
