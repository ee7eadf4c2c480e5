// The path view: fit, refit and projection against their formulas, zero
// extents, zoom limits with the axis arrows, refused tool positions, the
// tool margin and the time slice (inner functions), and
// the library's exports driven as the host drives them.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <set>

#include "host/runners/plotline_runner.h"
#include "host/screen/png.h"
#include "host/services/dispatch.h"
#include "plotline/plotline.h"

namespace {

// A program of `n` straight blocks along x from 0 to `length` mm (entry 0
// the start), extents as the host reports them.
void LoadLine(host::CncState* cnc, uint32_t n, double length, double height = 0) {
  for (uint32_t i = 0; i < n; ++i) {
    CNC_BLOCK_ENTRY e{};
    e.end[0] = static_cast<int32_t>(length * i / (n - 1) * 8000);
    e.end[1] = static_cast<int32_t>((i % 2) * height * 8000);
    e.motion = 1;
    e.axes = 3;
    cnc->SetEntry(i, e);
  }
  cnc->count_a = cnc->count_b = n;
  cnc->extent_1[0] = 0, cnc->extent_2[0] = static_cast<int32_t>(length * 8000);
  cnc->extent_1[1] = 0, cnc->extent_2[1] = static_cast<int32_t>(height * 8000);
}

void SetBox(_PLOTLINE* r, size_t offset, const double box[6]) {
  memcpy(reinterpret_cast<uint8_t*>(r) + offset, box, 6 * sizeof(double));
}

// The inner view over a fresh context, the library's drawing layer going
// to a simulated screen (800 x 600 window).
class PlotInner : public ::testing::Test {
 protected:
  PlotInner() : screen(800, 600), gfx(screen) {
    gfx.recorder().Enable(false);
    GdiInitCopy(&gfx.table());
    r.right = 799;
    r.bottom = 599;
    r.host_block = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&host));
    host.ticks = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ticks));
    host.tick_frequency = 1000000;
    c.view.scale = 1;
    PlotSetLayout(&c, &r);
  }
  void Init() { RecordCNCInitCopy(cnc.record()); }
  void Screen(const double p[3], double* x, double* y) {
    PlotApplyProjection(&c);
    PlotProject(&c, p, x, y);
  }

  host::Screen screen;
  host::GraphicsServices gfx;
  host::CncState cnc;
  _PLOTLINE r{};
  PLOTLINE_HOST host{};
  volatile uint32_t ticks = 0;
  PlotContext c{};
};

TEST_F(PlotInner, FitAndCentreFollowTheFormulas) {
  LoadLine(&cnc, 3, 200, 100);
  Init();
  const double dw = 789, dh = 547, factor = 547;  // drawing area 5..794 x 26..573
  r.view_request = kRequestPlan;
  PlotBuildView(&c, &r);
  double s = fmin(dw / 200, dh / 100) / factor * 0.95;
  EXPECT_DOUBLE_EQ(c.view.scale, s);
  double x, y;
  const double corner[3] = {0, 0, 0}, centre[3] = {100, 50, 0};
  Screen(centre, &x, &y);
  EXPECT_NEAR(x, 399, 1e-9);
  EXPECT_NEAR(y, 299, 1e-9);
  Screen(corner, &x, &y);
  EXPECT_NEAR(x, 399 - 100 * s * factor, 1e-9);
  EXPECT_NEAR(y, 299 + 50 * s * factor, 1e-9);  // screen y grows downwards

  r.view_request = kRequestAxonometry;
  PlotBuildView(&c, &r);
  EXPECT_DOUBLE_EQ(c.view.scale, 0.9 / sqrt(200.0 * 200 + 100 * 100));
  EXPECT_EQ(c.view.distance, kParallelView);
  Screen(centre, &x, &y);
  EXPECT_NEAR(x, 399, 1e-9);
  EXPECT_NEAR(y, 299, 1e-9);
  r.view_request = kRequestPerspective;
  PlotBuildView(&c, &r);
  EXPECT_DOUBLE_EQ(c.view.distance, 2 * sqrt(200.0 * 200 + 100 * 100));

  // A refit multiplies the pan by the new / old scale: the point in the
  // middle stays there.
  r.view_request = kRequestPlan;
  PlotBuildView(&c, &r);
  c.view.pan[0] += 40;
  const double probe[3] = {10, 10, 0};
  double before_x, before_y;
  Screen(probe, &before_x, &before_y);
  ASSERT_TRUE(PlotZoomIn(&c));
  Screen(probe, &x, &y);
  EXPECT_NEAR(x - 399, (before_x - 399) * 1.25, 1e-6);
  EXPECT_NEAR(y - 299, (before_y - 299) * 1.25, 1e-6);
  // A refit (key 17) after panning puts the program's middle back in the
  // middle at the fitted scale.
  PlotHandleKey(&c, &r, 18);
  PlotHandleKey(&c, &r, 20);
  PlotHandleKey(&c, &r, 17);
  EXPECT_DOUBLE_EQ(c.view.scale, s);
  Screen(centre, &x, &y);
  EXPECT_NEAR(x, 399, 1e-9);
  EXPECT_NEAR(y, 299, 1e-9);
}

TEST_F(PlotInner, ZeroExtentsNeverGiveAnInfiniteScale) {
  struct Row {
    int mode;
    bool area;
    double expected;
    const char* why;
  } rows[] = {
      {kRequestPlan, false, 547.0 / 547 * 0.95, "single point: sizes count 1.0"},
      {kRequestAxonometry, false, 0.9, "zero diagonal counts 1.0"},
      {kRequestPlan, true, fmin(789.0 / 400, 547.0 / 300) / 547 * 0.95, "the working area takes over"},
      {kRequestPerspective, true, 0.9 / sqrt(400.0 * 400 + 300 * 300 + 20 * 20), "and in perspective"},
  };
  for (const Row& row : rows) {
    LoadLine(&cnc, 2, 0);  // both blocks at the origin: extents of zero size
    Init();
    const double area[6] = {-100, -50, -10, 300, 250, 10}, none[6] = {0, 0, 0, 0, 0, 0};
    SetBox(&r, offsetof(_PLOTLINE, area), row.area ? area : none);
    r.view_request = static_cast<uint8_t>(row.mode);
    PlotBuildView(&c, &r);
    EXPECT_DOUBLE_EQ(c.view.scale, row.expected) << row.why;
    EXPECT_TRUE(std::isfinite(c.view.pan[0]) && std::isfinite(c.view.pan[1])) << row.why;
  }
  // Non-finite boxes are left out of the extents.
  const double bad[6] = {NAN, 0, 0, INFINITY, 1, 1};
  SetBox(&r, offsetof(_PLOTLINE, area), bad);
  SetBox(&r, offsetof(_PLOTLINE, sheet), bad);
  c.view.sheet = c.view.area = true;
  PlotBox e = PlotExtents(&c, &r);
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(e.min[k] == 0 && e.max[k] == 0);
}

TEST_F(PlotInner, ZoomStopsAtItsLimits) {
  LoadLine(&cnc, 3, 200, 100);
  Init();
  r.view_request = kRequestPlan;
  PlotBuildView(&c, &r);
  double fitted = c.view.scale;
  int out = 0;
  while (PlotZoomOut(&c) && out < 100) ++out;
  EXPECT_EQ(out, 6);  // 1.25^6 = 3.8 < 4 < 1.25^7
  EXPECT_GE(c.view.scale, fitted / 4);
  // At every scale the axis arrows from the origin (here in the middle)
  // are 100 pixels long: x to the right, y upwards, z a point at the origin.
  auto arrows = [&] {
    c.view.pan[0] = c.view.pan[1] = c.view.pan[2] = 0;
    gfx.recorder().Clear();
    gfx.recorder().Enable(true);
    PlotFullRedraw(&c, &r);
    gfx.recorder().Enable(false);
    std::set<std::pair<int, int>> ends;
    for (const host::GdiCall& call : gfx.recorder().calls())
      if (std::string(call.service) == "GdiLine" && call.x == 399 && call.y == 299) ends.insert({call.x2, call.y2});
    return ends;
  };
  const std::set<std::pair<int, int>> hundred = {{499, 299}, {399, 199}, {399, 299}};
  EXPECT_EQ(arrows(), hundred) << "scale " << c.view.scale;
  int in = 0;
  while (PlotZoomIn(&c) && in < 1000) {
    ++in;
    EXPECT_EQ(arrows(), hundred) << "scale " << c.view.scale;
  }
  EXPECT_LT(in, 1000);
  EXPECT_GE(c.view.scale, 789.0 / (2 * 547));
  EXPECT_LT(c.view.scale / 1.25, 789.0 / (2 * 547));
}

TEST_F(PlotInner, ToolFarAwayComesBackWithAHundredPixels) {
  LoadLine(&cnc, 3, 200, 100);
  Init();
  for (uint8_t request : {kRequestPlan, kRequestAxonometry, kRequestPerspective}) {
    r.view_request = request;
    PlotBuildView(&c, &r);
    const double far[3] = {5000, 3000, 0};
    EXPECT_TRUE(PlotKeepToolVisible(&c, far));
    double x, y;
    Screen(far, &x, &y);
    EXPECT_GE(x, 5);
    EXPECT_LE(x, 794);
    EXPECT_GE(y, 26);
    EXPECT_LE(y, 573);
    if (request == kRequestPlan) {
      EXPECT_NEAR(x, 794 - 100, 1e-6) << "came from the right";
      EXPECT_NEAR(y, 26 + 100, 1e-6) << "came from the top";
    }
    EXPECT_FALSE(PlotKeepToolVisible(&c, far)) << "inside: nothing moves";
  }
}

TEST_F(PlotInner, KeysKeepTheirRanges) {
  LoadLine(&cnc, 3, 200, 100);
  Init();
  PlotBuildView(&c, &r);
  for (int i = 0; i < 10; ++i) PlotHandleKey(&c, &r, 25);
  EXPECT_FALSE(c.view.speed_on) << "ten presses: 10 ... 90 % and off again";
  PlotHandleKey(&c, &r, 25);
  EXPECT_TRUE(c.view.speed_on);
  EXPECT_EQ(c.view.speed, 10);
  PlotHandleKey(&c, &r, 26);
  PlotHandleKey(&c, &r, 32);
  EXPECT_EQ(c.draw.bbb_step, 1u);
  for (int i = 0; i < 1005; ++i) PlotHandleKey(&c, &r, 31);
  EXPECT_EQ(c.draw.bbb_step, 1000u);
  for (int i = 0; i < 4; ++i) PlotHandleKey(&c, &r, 7);
  EXPECT_EQ(c.view.orientation, 1) << "0, 1, 2, 0, 1";
  EXPECT_DOUBLE_EQ(c.view.angle_b, kHalfPi);
  // A tool position that is no number is refused: following (key 22) does
  // not start, the view keeps its pan and no marker is drawn.
  const double bad_tools[][3] = {{NAN, 0, 0}, {0, INFINITY, 0}, {0, 0, -INFINITY}};
  for (const auto& tool : bad_tools) {
    memcpy(reinterpret_cast<uint8_t*>(&r) + offsetof(_PLOTLINE, tool), tool, sizeof tool);
    const double pan[3] = {c.view.pan[0], c.view.pan[1], c.view.pan[2]};
    PlotHandleKey(&c, &r, 22);
    EXPECT_FALSE(c.view.follow);
    EXPECT_TRUE(pan[0] == c.view.pan[0] && pan[1] == c.view.pan[1] && pan[2] == c.view.pan[2]);
    gfx.recorder().Clear();
    gfx.recorder().Enable(true);
    PlotMarkerShow(&c, &r);
    gfx.recorder().Enable(false);
    EXPECT_FALSE(c.draw.marker_shown);
    EXPECT_TRUE(gfx.recorder().calls().empty()) << gfx.recorder().calls().front().Describe();
  }
}

// The slice: a counter that moves with every service call, so time passes
// while blocks are drawn. No slice draws a block after its budget ran out,
// and every block is drawn once.
TEST_F(PlotInner, SlicesStayInTheirBudget) {
  struct Row {
    uint32_t frequency;
    uint32_t ticks_per_call;
    bool counts_down;
    uint32_t budget;
  } rows[] = {
      {1000000, 37, false, 1000},
      {1000000, 37, true, 1000},    // the counter counts down
      {1000000, 5000, false, 1000},  // time runs out at once: still one block per call
      {0, 1, false, 1},             // frequencies below 1000: ticks count as milliseconds
      {999, 1, false, 1},
  };
  for (const Row& row : rows) {
    const uint32_t n = 600;
    LoadLine(&cnc, n, 300, 20);
    Init();
    host.tick_frequency = row.frequency;
    r.counts_down = row.counts_down;
    r.view_request = kRequestPlan;
    PlotBuildView(&c, &r);
    memset(&c.draw, 0, sizeof c.draw);
    PlotFullRedraw(&c, &r);
    host::SetDispatchObserver([&](uint32_t, int) {
      ticks = row.counts_down ? ticks - row.ticks_per_call : ticks + row.ticks_per_call;
    });
    uint32_t drawn = 0, calls = 0;
    while (c.draw.pass != kPassExecuted && calls < 100000) {
      uint32_t start = ticks;
      uint32_t count = PlotDrawSlice(&c, &r);
      uint32_t elapsed = row.counts_down ? start - ticks : ticks - start;
      ++calls;
      drawn += count;
      if (c.draw.pass != kPassProgram) break;
      ASSERT_GE(count, 1u);
      // Uniform blocks: the last one started before the budget ran out.
      EXPECT_LT(elapsed - elapsed / count, row.budget + row.ticks_per_call) << "frequency " << row.frequency;
      EXPECT_GE(elapsed, row.budget);
    }
    host::SetDispatchObserver(nullptr);
    EXPECT_EQ(drawn, n) << "frequency " << row.frequency;
    EXPECT_FALSE(c.draw.stopped);
  }
}

// The table turns busy while the path is drawn: drawing stops at that block
// with the "!" of colour 13, and a redraw after the table is ready again
// draws everything.
TEST_F(PlotInner, BusyTableStopsTheDrawingUntilARedraw) {
  LoadLine(&cnc, 400, 300, 20);
  Init();
  PlotBuildView(&c, &r);
  memset(&c.draw, 0, sizeof c.draw);
  PlotFullRedraw(&c, &r);
  host::SetDispatchObserver([&](uint32_t, int) { ticks = ticks + 100; });
  uint32_t drawn = PlotDrawSlice(&c, &r);
  ASSERT_GT(drawn, 0u);
  ASSERT_LT(drawn, 400u);
  cnc.busy_a = 1;
  EXPECT_EQ(PlotDrawSlice(&c, &r), 0u);
  EXPECT_TRUE(c.draw.stopped);
  EXPECT_EQ(c.draw.next, -1);
  PlotRefreshLines(&c, &r, true);
  EXPECT_EQ(c.draw.top_text[strlen(c.draw.top_text) - 5], '!');
  cnc.busy_a = 0;
  PlotHandleKey(&c, &r, 33);
  uint32_t total = 0;
  for (int call = 0; call < 2000 && c.draw.pass != kPassExecuted; ++call) total += PlotDrawSlice(&c, &r);
  host::SetDispatchObserver(nullptr);
  EXPECT_EQ(total, 400u);
  EXPECT_FALSE(c.draw.stopped);
}

TEST(ApngWriter, FramesFollowTheAnimationChunks) {
  const int w = 4, h = 3;
  std::vector<std::vector<uint8_t>> frames(3, std::vector<uint8_t>(w * h * 3, 0));
  frames[1][0] = 255;
  frames[2][5] = 7;
  std::string path = ::testing::TempDir() + "/anim.png", error;
  ASSERT_TRUE(host::WriteApngRgb(path, w, h, frames, 120, &error)) << error;
  FILE* f = fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::vector<uint8_t> bytes(1 << 16);
  bytes.resize(fread(bytes.data(), 1, bytes.size(), f));
  fclose(f);
  auto be = [&](size_t at) {
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
  };
  std::vector<std::string> types;
  std::vector<uint32_t> sequence;
  for (size_t at = 8; at + 12 <= bytes.size(); at += 12 + be(at)) {
    std::string type(bytes.begin() + at + 4, bytes.begin() + at + 8);
    types.push_back(type);
    if (type == "fcTL" || type == "fdAT") sequence.push_back(be(at + 8));
    if (type == "acTL") {
      EXPECT_EQ(be(at + 8), 3u) << "frame count";
    }
    // Each chunk's CRC covers its type and data.
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = at + 4; i < at + 8 + be(at); ++i) {
      crc ^= bytes[i];
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    EXPECT_EQ(~crc, be(at + 8 + be(at))) << type;
  }
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "acTL", "fcTL", "IDAT", "fcTL", "fdAT", "fcTL", "fdAT", "IEND"}));
  EXPECT_EQ(sequence, (std::vector<uint32_t>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(host::WriteApngRgb(path, w, h, {std::vector<uint8_t>(5)}, 120, &error)) << "a frame of the wrong size";
}

// ---- Through the library's exports -------------------------------------------

class PlotLibrary : public ::testing::Test {
 protected:
  PlotLibrary() : screen(800, 600), runner(screen, cnc, &ticks, 1000000) {}
  void Load(const std::string& program, host::PlotlineOptions options = {}) {
    std::string error;
    ASSERT_TRUE(cnc.LoadIsoProgram(program, "test.nc", &error)) << error;
    ASSERT_TRUE(runner.Load(options, &error)) << error;
    host::SetDispatchObserver([this](uint32_t, int) { ticks = ticks + 20; });
  }
  ~PlotLibrary() override { host::SetDispatchObserver(nullptr); }
  // Every line the library asked for lies inside the drawing area or on
  // its frame.
  void ExpectLinesInside(const char* why) {
    for (const host::GdiCall& call : runner.graphics().recorder().calls()) {
      if (std::string(call.service) != "GdiLine") continue;
      for (int x : {call.x, call.x2}) EXPECT_TRUE(x >= 4 && x <= 795) << why << ": " << call.Describe();
      for (int y : {call.y, call.y2}) EXPECT_TRUE(y >= 25 && y <= 574) << why << ": " << call.Describe();
    }
  }

  host::Screen screen;
  host::CncState cnc;
  volatile uint32_t ticks = 0;
  host::PlotlineRunner runner;
};

TEST_F(PlotLibrary, FarCoordinatesStayFiniteInEveryView) {
  // Near the table's limit of +-268,435 mm (position counts of 32 bits).
  Load("G0 X0 Y0\nG1 X250000 Y-200000\nG1 X-260000 Y5\nG2 X10 Y10 I130000 J0\nG1 X5 Y5 Z-260000\n");
  ASSERT_FALSE(HasFatalFailure());
  for (uint8_t request : {kRequestPlan, kRequestAxonometry, kRequestPerspective}) {
    runner.record().view_request = request;
    runner.graphics().recorder().Clear();
    runner.Prefix();
    EXPECT_LT(runner.DataUntilDrawn(5000), 5000u);
    for (uint8_t key : {15, 15, 15, 92, 92, 22, 16}) {
      runner.Data(key);
      runner.DataUntilDrawn(5000);
    }
    ExpectLinesInside(request == 1 ? "plan" : request == 2 ? "axonometry" : "perspective");
  }
}

TEST_F(PlotLibrary, IdleCallsPaintNothingAndKeysRepaint) {
  host::PlotlineOptions options;
  options.program_name = "PART.NC";
  ASSERT_NO_FATAL_FAILURE(Load("N10 G0 X0 Y0\nN20 G1 X100\nN30 G3 X100 Y50 I0 J25\nN40 G1 X0\n", options));
  runner.Prefix();
  uint32_t calls = runner.DataUntilDrawn(5000);
  EXPECT_LT(calls, 5000u);
  uint64_t before = runner.graphics().calls();
  runner.Data();
  EXPECT_EQ(runner.graphics().calls(), before) << "nothing changed: nothing painted";
  runner.Data(26);  // block by block: the block number goes to offset 191
  runner.DataUntilDrawn(5000);
  EXPECT_EQ(runner.record().block_reached, 0u) << "allowed count 0: nothing drawn yet";
  runner.Data(28);
  runner.Data(28);
  runner.DataUntilDrawn(5000);
  EXPECT_EQ(runner.record().block_reached, 10u) << "two steps: the start and N10";
  runner.Prefix();
  EXPECT_EQ(runner.record().block_reached, 0u) << "reopening resets the position";
}

TEST_F(PlotLibrary, ExportsItsInterfaceOnly) {
  ASSERT_NO_FATAL_FAILURE(Load("G1 X1\n"));
  std::set<std::string> names;
  for (auto& [name, symbol] : runner.library().exports()) names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{"FSPInit", "GDIInit", "RecordCNCInit", "LocalizationInit",
                                          "GetLocString", "PREFIX_PLOTLINE", "DATA_PLOTLINE"}));
}

}  // namespace
