// The CAN bus monitor through CanData, CanViewStart and CanViewCont over the
// simulator's CAN bus: matching and periods, the recording file byte for
// byte, ring offsets the host got wrong, sending through the mailbox, the
// pool and the file services failing, R766's modes, and a log replayed
// through the library against figures computed from the log itself.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/time.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "anvil/can_bus.h"
#include "anvil/can_recording.h"
#include "bridge/fsp.h"
#include "host/runners/can_view_runner.h"
#include "host/services/can_log.h"
#include "tests/support/sandbox.h"
#include "tests/support/written_texts.h"

namespace {

using host::CanLogFrame;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kModeSending = 0x01110000;  // digit 7 = 1, digit 6 (recording), digit 5 (open)
constexpr int kRowsY = 51;                     // first receive row; the transmit pane after 8 rows + 1
int RowY(int pane, int row) { return pane == 0 ? kRowsY + 16 * row : kRowsY + 16 * (9 + row); }

// A list line as the monitor shows it.
std::string Line(uint16_t id, const Bytes& data, uint32_t period, uint32_t count, uint32_t max) {
  char s[128];
  int n = snprintf(s, sizeof s, "%04X   %zu", id, data.size());
  for (size_t i = 0; i < 8; ++i) n += snprintf(s + n, sizeof s - n, i < data.size() ? " %02X" : "   ", i < data.size() ? data[i] : 0);
  snprintf(s + n, sizeof s - n, " %10u %10u %10u", period, count, max);
  return s;
}

// A line of the recording file, in either style.
std::string FileLine(uint32_t time, uint16_t id, const Bytes& data, uint32_t count, bool tabs) {
  char s[160];
  size_t length = data.size() > 8 ? 8 : data.size();
  int n = tabs ? snprintf(s, sizeof s, "%u\t%04X\t%zu", time, id, length)
               : snprintf(s, sizeof s, "%10u %04X   %zu", time, id, length);
  for (size_t i = 0; i < 8; ++i) {
    if (i < length) n += snprintf(s + n, sizeof s - n, tabs ? "\t%02X" : " %02X", data[i]);
    else n += snprintf(s + n, sizeof s - n, tabs ? "\t " : "   ");
  }
  snprintf(s + n, sizeof s - n, tabs ? "\t%u\r\n" : " %10u\r\n", count);
  return s;
}

class CanHost {
 public:
  explicit CanHost(uint32_t r766 = kModeSending, uint32_t pool = host::AnvilHost::kDefaultPoolSize,
                   uint8_t panel = 1)
      : screen_(800, 600), runner_(box_.files(), screen_, &ticks_, 1000, pool) {
    box_.Write("c:\\system\\.keep", "");
    host::CanViewOptions o;
    o.r766 = r766;
    o.panel = panel;
    std::string error;
    loaded_ = runner_.Load(o, &error);
    EXPECT_TRUE(loaded_) << error;
    runner_.bus().Start(0);
  }
  host::CanViewRunner& runner() { return runner_; }
  host::CanBus& bus() { return runner_.bus(); }
  testing_support::Sandbox& box() { return box_; }
  host::HostMemory& shared() { return runner_.anvil().shared(); }
  void At(uint32_t ms) { ticks_ = ms; }
  uint32_t now() const { return ticks_; }

  bool Push(uint16_t id, const Bytes& data, uint32_t time, uint16_t flag = anvil::kCanReceived, int channel = 1) {
    CanMessage m{};
    m.id = static_cast<uint16_t>(id | flag);
    m.length = static_cast<uint8_t>(data.size());
    if (!data.empty()) memcpy(m.data, data.data(), data.size() > 8 ? 8 : data.size());
    m.time = time;
    return bus().Push(channel, m);
  }
  void Key(uint8_t code, uint8_t c = 0) { runner_.Cont(code, c); }
  void Type(const std::string& text) {
    for (char c : text) Key(1, static_cast<uint8_t>(c));
  }
  // The lines both panes show now (each redrawn once).
  std::vector<std::string> Lines(int pane) {
    auto& rec = runner_.graphics().recorder();
    rec.Clear();
    for (int k = 0; k < 2; ++k) {
      ticks_ = ticks_ + 101;
      runner_.Cont();
    }
    std::vector<std::string> lines;
    for (int row = 0; row < (pane == 0 ? 8 : 23); ++row) {
      std::string text = testing_support::LastTextAt(rec, RowY(pane, row));
      if (text.find_first_not_of(' ') == std::string::npos) break;
      lines.push_back(text);
    }
    return lines;
  }
  bool Wrote(const std::string& text) {
    for (const auto& [top, written] : testing_support::WrittenTexts(runner_.graphics().recorder()))
      if (written == text) return true;
    return false;
  }
  uint8_t Switch(int channel) { return shared().Get<uint8_t>(channel == 1 ? anvil::kCanSwitch1 : anvil::kCanSwitch2); }
  std::string File(const std::string& name = "PACKETS.TXT") { return box_.Read("c:\\system\\" + name); }

 private:
  testing_support::Sandbox box_;
  host::Screen screen_;
  volatile uint32_t ticks_ = 0;
  host::CanViewRunner runner_;
  bool loaded_ = false;
};

TEST(CanClock, MillisecondsFromAnyFrequency) {
  struct Row { uint32_t count, frequency; bool down; uint32_t ms; const char* why; } rows[] = {
      {5000, 1000000, false, 5, "1 MHz"},
      {5000, 1000, false, 5000, "1 kHz: ticks are milliseconds"},
      {500, 500, false, 1000, "below 1000 Hz: count x 1000 / frequency, no division by zero"},
      {7, 3, false, 2333, "3 Hz"},
      {0xFFFFFFFFu, 100, false, static_cast<uint32_t>(0xFFFFFFFFull * 1000 / 100), "computed in 64 bits"},
      {5, 1000, true, ~5u, "a counter counting down"},
      {5, 0, false, 0, "frequency 0: a clock that stands still"},
  };
  for (const Row& r : rows) EXPECT_EQ(anvil::CanMilliseconds(r.count, r.frequency, r.down), r.ms) << r.why;
}

TEST(CanMonitor, MatchingPeriodsAndDroppedMessages) {
  CanHost h;
  h.runner().Start();
  ASSERT_EQ(h.Switch(1), 255) << "digit 5 opens the channel with the window";
  struct Arrival { uint32_t at; uint16_t id; Bytes data; uint16_t flag; } arrivals[] = {
      {0, 0x181, {0x11, 0x22}, anvil::kCanReceived},
      {0, 0x581, {0x43, 0x00, 0x10, 0x00, 1, 2, 3, 4}, anvil::kCanReceived},
      {0, 0x581, {0x43, 0x08, 0x10, 0x00, 1, 2, 3, 4}, anvil::kCanReceived},  // SDO: D1 differs, own line
      {0, 0x185, {0x01}, 0},                                                // neither bit: dropped
      {0, 0x601, {0x40, 0x00, 0x10, 0x00}, anvil::kCanSent},
      {250, 0x181, {0x33, 0x44}, anvil::kCanReceived},                      // one line, count 2
      {350, 0x181, {0x55}, anvil::kCanReceived},
      {400, 0x222, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, anvil::kCanReceived},  // length 12: taken as 8
      {450, 0x581, {0x43, 0x00, 0x10, 0x00, 9, 9, 9, 9}, anvil::kCanReceived},      // D4-D7 do not matter
  };
  for (const Arrival& a : arrivals) {
    h.At(a.at);
    ASSERT_TRUE(h.Push(a.id, a.data, a.at, a.flag));
    EXPECT_EQ(h.runner().Data(), 0u);
  }
  EXPECT_EQ(h.Lines(0), (std::vector<std::string>{
                            Line(0x181, {0x55}, 100, 3, 250),
                            Line(0x581, {0x43, 0x00, 0x10, 0x00, 9, 9, 9, 9}, 450, 2, 450),
                            Line(0x581, {0x43, 0x08, 0x10, 0x00, 1, 2, 3, 4}, 0, 1, 0),
                            Line(0x222, {1, 2, 3, 4, 5, 6, 7, 8}, 0, 1, 0),
                        }));
  EXPECT_EQ(h.Lines(1), (std::vector<std::string>{Line(0x601, {0x40, 0x00, 0x10, 0x00}, 0, 1, 0)}));
}

// Records the same arrivals in each style and compares the file byte for
// byte; the tab style, another name and channel 3 (ignored) come through
// the "Settings" dialog.
TEST(CanMonitor, RecordingFileByteForByteInBothStyles) {
  for (bool tabs : {false, true}) {
    CanHost h;
    h.runner().Start();
    std::string name = "PACKETS.TXT";
    if (tabs) {
      name = "LOG1.TXT";
      h.Key(72);                      // Settings: rows, name, channel, tabs
      h.Key(1, 3);                    // to the name
      for (int i = 0; i < 12; ++i) h.Key(1, 0x2E);
      h.Type("LOG1");
      h.Key(1, 0x2B);                 // the panel's decimal point
      h.Type("TXT");
      h.Key(1, 3);
      h.Key(1, 0x2E);
      h.Type("3");                    // channel 3: changes nothing
      h.Key(1, 3);
      h.Key(1, 0x2E);
      h.Type("x1");                   // 'x' is refused in a decimal field
      h.Key(1, 3);
      h.Key(1, 255);                  // OK
    }
    h.Key(73);                        // record
    std::string expected = anvil::CanRecordHeader(tabs);
    std::map<std::tuple<uint16_t, uint8_t>, uint32_t> counts;
    size_t header = expected.size();
    for (uint32_t i = 0; i < 40; ++i) {
      uint16_t id = static_cast<uint16_t>(0x181 + i % 7);
      Bytes data(i % 10 == 9 ? 12 : i % 9, static_cast<uint8_t>(i));
      h.At(i * 10);
      ASSERT_TRUE(h.Push(id, data, i * 10));
      h.runner().Data();
      expected += FileLine(i * 10, id, data, ++counts[{id, 0}], tabs);
      if (expected.size() > header + 1024) {
        EXPECT_EQ(h.File(name).size(), header + 1024) << "the file grows 1024 characters at a time";
        header += 1024;
      }
    }
    EXPECT_EQ(h.Switch(1), 255) << "channel 3 in Settings changed nothing";
    h.Key(74);                        // stop
    EXPECT_EQ(h.File(name), expected) << (tabs ? "tab style" : "fixed style");
  }
}

TEST(CanMonitor, RingWrapAroundAndBadOffsets) {
  struct Row {
    const char* why;
    uint16_t read, write;
    bool ring_zero;
    uint16_t read_after;
    int lines;  // receive lines after the call
  } rows[] = {
      {"four messages across the end of the ring", 15968, 32, false, 32, 4},
      {"read offset not a multiple of 16: reset to the write offset", 8, 64, false, 64, 0},
      {"read offset at 16000: reset", 16000, 0, false, 0, 0},
      {"write offset not a multiple of 16: nothing taken", 0, 24, false, 0, 0},
      {"write offset past the ring: nothing taken", 0, 16016, false, 0, 0},
      {"ring address 0: nothing taken", 0, 32, true, 0, 0},
  };
  for (const Row& r : rows) {
    CanHost h;
    h.runner().Start();
    uint32_t ring = h.shared().Get<uint32_t>(anvil::kCanRing1);
    for (uint16_t k = 0; k < 4; ++k) {
      CanMessage m{};
      m.id = static_cast<uint16_t>((0x100 + k) | anvil::kCanReceived);
      m.length = 1;
      memcpy(h.bus().ring(1) + (15968 + 16 * k) % 16000, &m, sizeof m);
    }
    h.shared().Set<uint16_t>(anvil::kCanRead1, r.read);
    h.shared().Set<uint16_t>(anvil::kCanWrite1, r.write);
    if (r.ring_zero) h.shared().Set<uint32_t>(anvil::kCanRing1, 0);
    h.runner().Data();
    EXPECT_EQ(h.shared().Get<uint16_t>(anvil::kCanRead1), r.read_after) << r.why;
    h.shared().Set<uint32_t>(anvil::kCanRing1, ring);
    EXPECT_EQ(h.Lines(0).size(), static_cast<size_t>(r.lines)) << r.why;
  }
}

TEST(CanMonitor, NewPacketResendAndFullMailbox) {
  CanHost h;
  h.runner().Start();
  h.shared().Set<uint8_t>(anvil::kCanMailFlag1, 255);  // the host has not taken the last one
  h.Key(71);                                           // New packet: ID, LEN, D0-D7
  h.Type("0123");
  h.Key(1, 3);
  h.Type("9");                                         // length 9: OK does nothing
  h.Key(1, 3);
  h.Type("ab");                                        // a-f typed as A-F
  h.Key(1, 3);
  h.Type("Cd");
  for (int i = 0; i < 7; ++i) h.Key(1, 3);
  h.Key(1, 255);
  EXPECT_TRUE(h.Lines(1).empty()) << "a length above 8 adds nothing";
  h.Key(1, 1);
  for (int i = 0; i < 8; ++i) h.Key(1, 1);             // back to LEN
  h.Key(1, 0x2E);
  h.Type("2");
  for (int i = 0; i < 9; ++i) h.Key(1, 3);
  h.Key(1, 255);
  EXPECT_EQ(h.Lines(1), (std::vector<std::string>{Line(0x123, {0xAB, 0xCD}, 0, 0, 0)}));
  CanMessage box{};
  memcpy(&box, h.shared().At(anvil::kCanMailbox1, 16), 16);
  EXPECT_EQ(box.id, 0) << "a full mailbox is not overwritten";
  // Mailbox free: re-sending the line sends it and adds no second line.
  h.shared().Set<uint8_t>(anvil::kCanMailFlag1, 0);
  h.Key(70);
  h.Key(1, 255);
  memcpy(&box, h.shared().At(anvil::kCanMailbox1, 16), 16);
  EXPECT_EQ(h.shared().Get<uint8_t>(anvil::kCanMailFlag1), 255);
  EXPECT_EQ(box.id, 0x123);
  EXPECT_EQ(box.length, 2);
  EXPECT_EQ(box.data[1], 0xCD);
  EXPECT_EQ(box.time, 0u);
  // The host sends it and reports it back with bit 14: counted on the line.
  h.At(500);
  h.bus().Step(500);
  h.At(510);
  h.bus().Step(510);
  h.runner().Data();
  ASSERT_EQ(h.bus().sent(1).size(), 1u);
  EXPECT_EQ(host::FormatCanLogLine(h.bus().sent(1)[0], "can0"), "(0.510000) can0 123#ABCD T\n");
  EXPECT_EQ(h.Lines(1), (std::vector<std::string>{Line(0x123, {0xAB, 0xCD}, 0, 1, 0)}));
  EXPECT_EQ(h.File().size(), 0u) << "entered packets are not recorded";
}

// A counter stepped by a timer signal every 50 microseconds, read as
// milliseconds (frequency 1000). The signal interrupts the walk itself, so a
// walk that lasts two periods sees the clock move twice however busy the
// machine and however few its cores (a stepping thread needs a core of its
// own beside the walk, which a loaded machine does not always give).
std::atomic<uint32_t> g_stepped{0};
void StepOnSignal(int) { g_stepped.fetch_add(1, std::memory_order_relaxed); }

struct SteppingTimer {
  SteppingTimer() {
    struct sigaction step {};
    step.sa_handler = StepOnSignal;
    step.sa_flags = SA_RESTART;
    sigemptyset(&step.sa_mask);
    sigaction(SIGALRM, &step, &old_);
    const itimerval every{{0, 50}, {0, 50}};
    setitimer(ITIMER_REAL, &every, nullptr);
  }
  ~SteppingTimer() {
    const itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &old_, nullptr);
  }
  struct sigaction old_ {};
};

// Packets go on being added, each walk longer than the one before
// (identifiers stay below the flag bits), until a walk was told.
TEST(CanMonitor, AWalkThatOutlastsTwoTicksIsRecordedNotListed) {
  SteppingTimer timer;
  CanHost h;
  h.runner().record().ticks = reinterpret_cast<const volatile uint32_t*>(&g_stepped);
  h.runner().Start();
  h.Key(73);
  bool told = false;
  uint32_t pushed = 0;
  for (; pushed < 16000 && !told; ++pushed) {
    ASSERT_TRUE(h.Push(static_cast<uint16_t>(0x100 + pushed), {1}, pushed));
    EXPECT_EQ(h.runner().Data(), 0u);
    if (pushed % 64 != 63) continue;  // the flag stays: look now and then
    h.runner().graphics().recorder().Clear();
    h.runner().Cont();
    h.runner().Cont();
    told = h.Wrote("Error, not enought time to add packet");
  }
  ASSERT_TRUE(told) << pushed;
  h.Key(74);
  std::string file = h.File();
  size_t lines = 0;
  for (char c : file) lines += c == '\n';
  EXPECT_EQ(lines, pushed + 1) << "every packet recorded, the last one too";
  char last[16];
  snprintf(last, sizeof last, " %04X ", 0x100 + pushed - 1);
  EXPECT_NE(file.find(last), std::string::npos);
}

TEST(CanMonitor, FailuresStopCaptureAndShowTheirBox) {
  struct Row {
    const char* why;
    uint32_t pool;
    int slot, nth;          // a failing file service (-1: none)
    const char* text;
    bool file_kept;
  } rows[] = {
      {"the pool runs out of nodes (what was recorded stays)", 4000, -1, 0, "Memory allocation error", true},
      {"the header cannot be written", host::AnvilHost::kDefaultPoolSize, kFspWrite, 1, "Disk operation error", false},
      {"the second block write fails", host::AnvilHost::kDefaultPoolSize, kFspWrite, 3, "Disk operation error", true},
      {"the close at the stop fails", host::AnvilHost::kDefaultPoolSize, kFspClose, 1, "Disk operation error", true},
  };
  for (const Row& r : rows) {
    CanHost h(kModeSending, r.pool);
    h.runner().Start();
    if (r.slot >= 0) h.box().files().FailCall(r.slot, r.nth, -3);
    h.Key(73);
    uint32_t result = 0;
    for (uint32_t i = 0; i < 200 && result == 0; ++i) {
      h.Push(static_cast<uint16_t>(0x100 + i), {1, 2, 3, 4, 5, 6, 7, 8}, i);
      result = h.runner().Data();
    }
    h.runner().graphics().recorder().Clear();
    h.Key(74);
    if (result == 0) result = h.runner().Data();
    EXPECT_EQ(result, 1u) << r.why;
    EXPECT_EQ(h.Switch(1), 0) << r.why << ": the channel is closed";
    h.Key(1, 3);
    EXPECT_TRUE(h.Wrote("Error") && h.Wrote(r.text)) << r.why;
    EXPECT_EQ(h.File().size() > 100, r.file_kept) << r.why;
    if (r.slot != kFspClose) {
      EXPECT_EQ(h.box().files().open_handles(), 0) << r.why << ": no file left open";
    }
  }
}

TEST(CanMonitor, ModesOfR766AndThePanel) {
  struct Row {
    const char* why;
    uint32_t r766;
    uint8_t panel;
    const char* text;   // written by CanViewStart ("" = none checked)
    bool captures;      // CanData takes messages
    bool draws;         // CanViewCont draws
  } rows[] = {
      {"digit 7 = 9: not activated", 0x09110000, 1, "CanView not activated - constant R766 7.decade", false, false},
      {"panel too old", kModeSending, 0, "Error, panel version is too low", false, false},
      {"digit 7 = 2: another screen, title only", 0x02110000, 1, "", false, false},
      {"digit 7 = 3: captures, CanViewCont does nothing", 0x03110000, 1, "", true, false},
      {"digit 7 = 0: monitor without sending", 0x00110000, 1, "", true, true},
  };
  for (const Row& r : rows) {
    CanHost h(r.r766, host::AnvilHost::kDefaultPoolSize, r.panel);
    h.runner().Start();
    if (*r.text != '\0') {
      EXPECT_TRUE(h.Wrote(r.text)) << r.why;
    }
    h.Push(0x181, {1}, 0);
    h.shared().Set<uint8_t>(anvil::kCanSwitch1, 255);
    h.Push(0x181, {1}, 0);
    h.runner().Data();
    EXPECT_EQ(h.shared().Get<uint16_t>(anvil::kCanRead1) != 0, r.captures) << r.why;
    h.runner().graphics().recorder().Clear();
    h.At(500);
    h.runner().Cont();
    EXPECT_EQ(!h.runner().graphics().recorder().calls().empty(), r.draws) << r.why;
  }
  // Digit 1 starts capture on the channel of digit 3 before the window was
  // ever opened, digit 2 the recording (allowed by digit 6).
  CanHost h(0x01100111);
  h.runner().Data();
  EXPECT_EQ(h.Switch(2), 255);
  EXPECT_EQ(h.File(), anvil::CanRecordHeader(false));
}

TEST(CanLog, ReaderSkipsAndRefusesWithTheLine) {
  struct Row { const char* text; const char* error; size_t frames; uint32_t skipped; } rows[] = {
      {"(1.000001) can0 181#1122 T\r\n\n(1.5) can0 7FF#\n", "", 2, 0},
      {"(1.0) can0 12345678#01\n(1.0) can0 123#R\n(1.0) can0 123##1AA\n", "", 0, 3},
      {"(1.0) can0 125#0102030405060708_C\n", "", 1, 0},
      {"(1.0) can0 181#11\n(x) can0 181#11\n", "line 2: expected a time stamp such as (1700000000.123456)", 1, 0},
      {"(1.0) can0 800#11\n", "line 1: standard identifier 800 above 7FF", 0, 0},
      {"(1.0) can0 181#112\n", "line 1: data \"112\" is not 0 to 8 bytes in hexadecimal", 0, 0},
      {"(1.0) can0 181#11 X\n", "line 1: unexpected \"X\" after the frame (only T or R)", 0, 0},
      {"(1.0) can0 181#11_C\n", "line 1: length code \"_C\" needs 8 bytes and a digit 9 to F", 0, 0},
  };
  for (const Row& r : rows) {
    std::vector<CanLogFrame> frames;
    host::CanLogCounts skipped;
    EXPECT_EQ(host::ParseCanLog(r.text, &frames, &skipped), r.error) << r.text;
    EXPECT_EQ(frames.size(), r.frames) << r.text;
    EXPECT_EQ(skipped.extended + skipped.remote + skipped.fd, r.skipped) << r.text;
  }
}

// A log of periodic frames, SDO answers and a burst larger than a ring,
// written, read back, replayed through the library with the recording on;
// lines and file against what the log itself says.
TEST(CanReplay, LogThroughTheLibraryAgreesWithTheLog) {
  std::string text;
  uint64_t t0 = 1700000000000000ull;
  auto add = [&](uint32_t ms, uint16_t id, Bytes data) {
    CanLogFrame f;
    f.time_us = t0 + ms * 1000ull;
    f.id = id;
    f.length = static_cast<uint8_t>(data.size());
    memcpy(f.data, data.data(), data.size());
    text += host::FormatCanLogLine(f, "can0");
  };
  for (uint32_t ms = 0; ms < 1500; ++ms) {
    if (ms % 100 == 0) add(ms, 0x701, {5});
    if (ms % 20 == 3) add(ms, 0x181, {static_cast<uint8_t>(ms / 20), 0x22});
    if (ms % 250 == 125) add(ms, 0x581, {0x43, static_cast<uint8_t>(ms / 250 % 2 * 8), 0x10, 0x00});
    if (ms == 700)
      for (int i = 0; i < 1500; ++i) add(ms, 0x281, {static_cast<uint8_t>(i)});
  }
  std::vector<CanLogFrame> frames;
  host::CanLogCounts skipped;
  ASSERT_EQ(host::ParseCanLog(text, &frames, &skipped), "");
  CanHost h;
  h.runner().Start();
  h.Key(73);
  h.bus().SetSource(1, frames);
  h.bus().Start(0);
  for (uint32_t ms = 0; ms <= 1600; ms += 2) {
    h.At(ms);
    h.bus().Step(ms);
    EXPECT_EQ(h.runner().Data(), 0u);
  }
  ASSERT_EQ(h.bus().pending(1), 0u);
  EXPECT_GT(h.bus().held_back(1), 0u) << "the burst filled the ring";
  h.Key(74);
  // What the log says, line by line and for the file.
  struct Figures { uint32_t count = 0, last = 0, period = 0, max = 0; Bytes data; };
  std::map<std::vector<uint8_t>, Figures> lines;  // key: id, and D0-D3 for 0x581
  std::vector<std::vector<uint8_t>> order;
  std::string file = anvil::CanRecordHeader(false);
  for (const CanLogFrame& f : frames) {
    std::vector<uint8_t> key(6, 0);
    key[0] = static_cast<uint8_t>(f.id >> 8);
    key[1] = static_cast<uint8_t>(f.id);
    for (int i = 0; i < 4 && f.id == 0x581; ++i) key[2 + i] = f.data[i];
    uint32_t time = static_cast<uint32_t>((f.time_us - t0) / 1000);
    Figures& g = lines[key];
    if (g.count == 0) order.push_back(key);
    else g.period = time - g.last, g.max = std::max(g.max, g.period);
    g.count++;
    g.last = time;
    g.data.assign(f.data, f.data + f.length);
    file += FileLine(time, f.id, g.data, g.count, false);
  }
  std::vector<std::string> expected;
  for (const auto& key : order) {
    const Figures& g = lines[key];
    expected.push_back(Line(static_cast<uint16_t>(key[0] << 8 | key[1]), g.data, g.period, g.count, g.max));
  }
  EXPECT_EQ(h.Lines(0), expected);
  EXPECT_EQ(h.File(), file);
}

}  // namespace
