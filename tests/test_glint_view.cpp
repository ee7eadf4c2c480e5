// The scope's view: where traces land, what the keys change, how a bad
// ring is survived and what a running refresh draws. Points are compared
// with the formulas (x = plot left + j x 25 / time base, y = centre -
// value x 25 / scale) computed here independently.
#include <gtest/gtest.h>

#include <limits.h>

#include "bridge/display.h"
#include "glint/scope.h"
#include "glint/scope_export.h"
#include "tests/support/scope_host.h"

namespace {

using Points = std::vector<std::pair<int, int>>;
// Layout "C": plot 500 x 250 from (126, 139), centre line at 264.
constexpr int kLeft = 126, kTop = 139, kWidth = 500, kHeight = 250, kCentre = 264;

class GlintView : public ::testing::Test {
 protected:
  void SetUp() override { ScopeInit(&s); }
  void OnlyChannel(int channel) {
    for (int k = 0; k < kGlintChannels; ++k) s.settings.channels[k].shown = k == channel;
  }
  void Key(uint8_t key) {
    host.record.key = key;
    ScopeData(&s, &host.record);
    host.record.key = 0;
  }
  bool GridDrawn() {
    for (const host::GdiCall& c : host.calls())
      if (c.word == kDisplayFill && c.x == kLeft && c.y == kTop && c.w == kWidth + 1) return true;
    return false;
  }
  testing_support::ScopeHost host{700};
  Scope s;
};

int32_t Wave(uint32_t row, int) { return static_cast<int32_t>(row * 37 % 1000) - 500; }

// The points a stopped view shows of channel 0 (scale 50, time base 25).
Points Expected(const std::vector<GlintRow>& ring, uint32_t start, uint32_t visible) {
  Points out;
  for (uint32_t j = 0; j < visible; ++j) {
    int32_t v = ring[(start + j) % ring.size()].values[0];
    int y = kCentre - v * 25 / 50;
    if (y >= kTop && y <= kTop + kHeight) out.emplace_back(kLeft + static_cast<int>(j), y);
  }
  return out;
}

TEST_F(GlintView, StoppedTraceAcrossTheRingEndWithAShift) {
  // 600 rows from index 400 round the end to 299; 500 fit at time base 25.
  host.Fill(400, 300, Wave);
  OnlyChannel(0);
  s.settings.channels[0].scale = 50;
  ScopePrefix(&s, &host.record);
  EXPECT_EQ(host.Points(BARVA_RUDA), Expected(host.ring, 500, 500));
  host.Clear();
  Key(24);  // one division back: 25 samples
  EXPECT_EQ(s.shift, 25u);
  EXPECT_EQ(host.Points(BARVA_RUDA), Expected(host.ring, 475, 500));
  Key(24);
  Key(24);  // the limit is 600 - 500 = 100
  Key(24);
  Key(24);
  EXPECT_EQ(s.shift, 100u);
  host.Clear();
  Key(25);
  EXPECT_EQ(s.shift, 75u);
  EXPECT_EQ(host.Points(BARVA_RUDA), Expected(host.ring, 425, 500));
}

TEST_F(GlintView, FewSamplesStartAtTheOldestAndDoNotShift) {
  host.Fill(650, 50, Wave);  // 100 rows, across the end
  OnlyChannel(0);
  s.settings.channels[0].scale = 50;
  ScopePrefix(&s, &host.record);
  host.Clear();
  Key(24);
  EXPECT_EQ(s.shift, 0u);
  EXPECT_EQ(s.start, 650u);
  EXPECT_EQ(host.Points(BARVA_RUDA), Expected(host.ring, 650, 100));
}

TEST_F(GlintView, ExtremeValuesAreDrawnOrClipped) {
  struct Case {
    int32_t value;
    uint32_t scale;
    bool drawn;
    int y;
  } cases[] = {
      {INT32_MAX, 1, false, 0},  // 64-bit: far above the plot, not wrapped into it
      {INT32_MIN, 1, false, 0},
      {INT32_MAX, 500000000, true, kCentre - 107},
      {INT32_MIN, 500000000, true, kCentre + 107},
      {5000, 1000, true, kCentre - 125},  // the top edge is inside
      {-5000, 1000, true, kCentre + 125},
      {5001, 100, false, 0},
  };
  for (const Case& c : cases) {
    ScopeInit(&s);
    host.Fill(0, 1, [&](uint32_t, int) { return c.value; });
    OnlyChannel(0);
    s.settings.channels[0].scale = c.scale;
    host.Clear();
    ScopePrefix(&s, &host.record);
    Points points = host.Points(BARVA_RUDA);
    SCOPED_TRACE(std::to_string(c.value) + " at scale " + std::to_string(c.scale));
    Points expected;
    if (c.drawn) expected.emplace_back(kLeft, c.y);
    EXPECT_EQ(points, expected);
  }
}

TEST_F(GlintView, DigitalChannelsLieInTheirLanes) {
  host.SetDigital(3);
  host.Fill(0, 4, [](uint32_t row, int) { return row % 2 == 0 ? 0 : 7; });
  OnlyChannel(3);
  ScopePrefix(&s, &host.record);
  std::vector<std::pair<int, int>> ends;
  for (const host::GdiCall& c : host.calls())
    if (c.word == kDisplayLine && c.fg == host.Colour(BARVA_P0)) ends.emplace_back(c.x2, c.y2);
  int high = kTop + 25 * 3 + 2, low = high + 20;
  EXPECT_EQ(ends, (Points{{kLeft, low}, {kLeft + 1, high}, {kLeft + 2, low}, {kLeft + 3, high}}));
}

TEST_F(GlintView, KeysStopAtTheTableEnds) {
  struct Case {
    uint32_t before;
    uint8_t key;
    uint32_t after;
    const char* why;
  } time_bases[] = {
      {5000, 23, 5000, "the largest time base stays"},
      {25, 22, 25, "the smallest time base stays"},
      {100, 23, 250, "next entry"},
      {30, 22, 25, "off the table: last entry below"},
      {30, 23, 50, "off the table: first entry above"},
      {4999, 23, 5000, "off the table near the end"},
  }, scales[] = {
      {500000000, 21, 500000000, "the largest scale stays"},
      {1, 20, 1, "the smallest scale stays"},
      {1, 21, 5, "1 then 5: no 2.5"},
      {3, 21, 5, "off the table: first above"},
      {3, 20, 1, "off the table: last below"},
      {499999999, 21, 500000000, "off the table below the end"},
  };
  host.Fill(0, 0, Wave);
  ScopePrefix(&s, &host.record);
  for (const Case& c : time_bases) {
    s.settings.time_base = c.before;
    Key(c.key);
    EXPECT_EQ(s.settings.time_base, c.after) << c.why;
  }
  for (const Case& c : scales) {
    s.settings.channels[0].scale = c.before;
    Key(c.key);
    EXPECT_EQ(s.settings.channels[0].scale, c.after) << c.why;
  }
  // The status line shows the time base: "     ~" + value + "[ms/div] ", to 20, then the state.
  s.settings.time_base = 250;
  host.Clear();
  Key(23);
  std::vector<std::string> texts = host.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "     ~500[ms/div]   Stop"), texts.end());
}

TEST_F(GlintView, MarkShowAndScaleTargets) {
  host.SetDigital(1);
  ScopePrefix(&s, &host.record);
  auto marked = [&] {
    std::string m;
    for (auto& c : s.settings.channels) m += c.marked ? 'M' : '.';
    return m;
  };
  auto shown = [&] {
    std::string m;
    for (auto& c : s.settings.channels) m += c.shown ? 'S' : '-';
    return m;
  };
  for (int i = 0; i < 10; ++i) Key(11);  // select "all"
  EXPECT_EQ(s.selected, kAllChannels);
  Key(12);
  EXPECT_EQ(marked(), "MMMMMMMMMM") << "none marked, all selected: mark all";
  Key(12);
  EXPECT_EQ(marked(), "..........") << "pressed again: unmark all";
  Key(11);  // channel 0
  Key(12);
  EXPECT_EQ(marked(), "M.........");
  Key(12);
  Key(11);
  Key(11);
  Key(12);  // mark channel 2 only
  Key(11);
  Key(11);  // channel 4 selected, channel 2 marked
  Key(13);
  EXPECT_EQ(shown(), "SS-SSSSSSS") << "show/hide acts on the marked channel, not the selected";
  Key(12);  // mark 4 too: 2 hidden, 4 shown, so both are shown
  Key(13);
  EXPECT_EQ(shown(), "SSSSSSSSSS");
  Key(13);
  EXPECT_EQ(shown(), "SS-S-SSSSS");
  // Scales: marked analog channels; the digital channel 1 is never a target.
  for (auto& c : s.settings.channels) c.marked = 0, c.scale = 100;
  s.settings.channels[1].marked = 1;  // only a digital channel marked
  s.selected = kAllChannels;
  Key(21);
  for (int k = 0; k < kGlintChannels; ++k)
    EXPECT_EQ(s.settings.channels[k].scale, k == 1 ? 100u : 250u) << "channel " << k;
  s.settings.channels[3].marked = 1;
  s.settings.channels[3].scale = 1000;
  Key(20);  // reference = the smallest target scale (1000) -> 500
  EXPECT_EQ(s.settings.channels[3].scale, 500u);
  EXPECT_EQ(s.settings.channels[0].scale, 250u);
}

TEST_F(GlintView, AutomaticScale) {
  struct Case {
    int32_t low, high;
    uint32_t scale;
  } cases[] = {
      {0, 0, 1},                       // all zeros
      {INT32_MIN, 0, 500000000},       // 2147483648 / 5, not a wrapped negation
      {0, INT32_MAX, 500000000},
      {-1000, 10, 250},                // 1000 / 5 = 200 -> 250
      {-3, 1250, 250},                 // exactly an entry
      {-3, 1255, 500},                 // 251 -> 500
  };
  for (const Case& c : cases) {
    ScopeInit(&s);
    host.Fill(10, 13, [&](uint32_t row, int k) { return k != 0 ? 0 : row == 11 ? c.low : row == 12 ? c.high : 0; });
    ScopePrefix(&s, &host.record);
    Key(14);
    EXPECT_EQ(s.settings.channels[0].scale, c.scale) << c.low << ".." << c.high;
    EXPECT_EQ(s.settings.channels[1].scale, 50u) << "only the selected channel";
  }
}

TEST_F(GlintView, ABadRingIsAnEmptyRecording) {
  static GlintRow few[4];
  struct Case {
    const char* why;
    const GlintRow* rows;
    uint32_t length, oldest, next;
  } cases[] = {
      {"null pointer", nullptr, 100, 0, 50},
      {"length 0", few, 0, 0, 0},
      {"oldest not below the length", few, 4, 4, 1},
      {"next not below the length", few, 4, 0, 9},
      {"past 32-bit memory", few, 0x7FFFFFFF, 0, 0x7FFFFFFE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ScopeInit(&s);
    host.record.ring = c.rows;
    host.record.ring_length = c.length;
    host.record.oldest = c.oldest;
    host.record.next = c.next;
    host.Clear();
    ScopePrefix(&s, &host.record);
    EXPECT_TRUE(GridDrawn());
    EXPECT_EQ(host.Texts().size(), 12u) << "header, ten legend rows, status line";
    EXPECT_TRUE(host.Points(BARVA_RUDA).empty());
    Key(24);
    EXPECT_EQ(s.shift, 0u);
    s.settings.channels[0].scale = 777;
    Key(14);
    EXPECT_EQ(s.settings.channels[0].scale, 1u);
    Key(30);
    EXPECT_EQ(host.box.Read(host.export_path), kExportHeader) << "the header only";
  }
}

TEST_F(GlintView, RunningRefreshDrawsOnlyNewRows) {
  host.record.running = 1;
  host.Fill(0, 0, [](uint32_t row, int) { return static_cast<int32_t>(row % 7) * 3; });
  host.SetDigital(6);
  OnlyChannel(0);
  s.settings.channels[6].shown = 1;
  ScopePrefix(&s, &host.record);
  auto count = [&](int word) {
    int n = 0;
    for (const host::GdiCall& c : host.calls()) n += c.word == word;
    return n;
  };
  int drawn = 0;
  for (int call = 0; call < 3; ++call) {
    host.Clear();
    host.record.next += 20;
    ScopeData(&s, &host.record);
    // 20 points of channel 0, and the digital channel 6 joins its level
    // changes (from the previous refresh's last sample on).
    int digital = 0;
    for (const host::GdiCall& c : host.calls())
      digital += c.word == kDisplayLine && c.fg == host.Colour(BARVA_T14);
    EXPECT_EQ(static_cast<int>(host.Points(BARVA_RUDA).size()), 20);
    EXPECT_EQ(digital, 20);
    EXPECT_EQ(count(kDisplayFill), 0) << "no grid, no legend";
    EXPECT_EQ(count(kDisplaySetColors), 2);
    drawn += 20;
    EXPECT_EQ(s.drawn, static_cast<uint32_t>(drawn));
  }
  host.Clear();
  ScopeData(&s, &host.record);
  EXPECT_TRUE(host.calls().empty()) << "nothing new, nothing drawn";
  // With sweep restart, passing the right edge starts the view again.
  host.record.sweep_restart = 1;
  host.record.next += 500;
  ScopeData(&s, &host.record);
  EXPECT_TRUE(GridDrawn());
  EXPECT_EQ(s.drawn, 0u);
  EXPECT_EQ(s.start, host.record.next);
}

}  // namespace
