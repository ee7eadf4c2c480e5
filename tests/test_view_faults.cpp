// Every file-service call of a program view, one at a time, fails, fails
// to dispatch, or (for reads) comes short: the view ends with an error text
// or draws exactly what a clean run draws; it never reports a drawing that
// is not complete, and it leaves no file open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/screen/text.h"
#include "host/runners/view_runner.h"
#include "tests/support/sandbox.h"
#include "tests/support/scale.h"

namespace {

const int kSlots[] = {kFspOpen, kFspRead, kFspClose, kFspSeek, kFspWrite};

struct Outcome {
  uint32_t view_result = 0;
  std::vector<uint32_t> parts;       // results of the ShapePartSel calls
  std::vector<std::string> drawing;  // every graphics call, described
  std::string copy;                  // the copy file
  int calls[14] = {};
  int handles_left = 0;  // files the run left open in the host
};

class ViewFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1);
    std::string program = "[START]\r\n5\r\n+100+0\r\n6\r\n+0+100+0+50+\r\n";
    for (int i = 0; i < 150; ++i) program += "+10+0\r\n+0+10\r\n";
    program += "5\r\n-900-900\r\n6\r\n+50+50\r\n*\r\n";
    box.Write("c:\\p.knf", program);
    clean = Run([] {});
    ASSERT_EQ(clean.view_result, 2u);
    ASSERT_EQ(clean.parts, (std::vector<uint32_t>{1, 1, 2}));
  }

  // Draws the program, then selects and copies its parts, with `arm`
  // setting up a fault just before ViewStart.
  template <typename Arm>
  Outcome Run(Arm arm) {
    box.Write("c:\\parts.knf", "");
    host::Screen screen(640, 480);
    host::ViewRunner runner(box.files(), screen, &ticks, 1000);
    host::ViewOptions options;
    options.program_dos_path = "c:\\p.knf";
    options.copy_dos_path = "c:\\parts.knf";
    options.part_mode = 3;
    options.right = 639;
    options.bottom = 479;
    std::string error;
    EXPECT_TRUE(runner.Load(options, &error)) << error;
    int before[14];
    for (int s = 0; s < 14; ++s) before[s] = box.files().calls(s);
    int handles_before = box.files().open_handles();
    arm();
    Outcome out;
    out.view_result = runner.RunToEnd().last_result;
    for (int i = 0; i < 4; ++i) {
      uint32_t r = runner.ShapePartSel();
      out.parts.push_back(r);
      if (r != 1) break;
    }
    runner.Stop();
    box.files().ClearFaults();
    out.drawing = runner.graphics().recorder().Descriptions();
    out.copy = box.Read("c:\\parts.knf");
    for (int s = 0; s < 14; ++s) out.calls[s] = box.files().calls(s) - before[s];
    out.handles_left = box.files().open_handles() - handles_before;
    return out;
  }

  // The run either matches the clean one or shows one of the view's file
  // error texts and stops.
  void ExpectCleanOrFailed(const Outcome& out, const std::string& what, bool refused_close) {
    SCOPED_TRACE(what);
    // A close the host refused leaves its one handle open; nothing else may.
    EXPECT_EQ(out.handles_left, refused_close ? 1 : 0);
    ASSERT_EQ(out.view_result, 2u);
    if (out.drawing == clean.drawing && out.parts == clean.parts) {
      EXPECT_EQ(out.copy, clean.copy);
      return;
    }
    bool error_shown = false;
    for (const char* text : {"File operation error", "File path error", "File HANDLE error",
                             "File reading error"})
      for (const auto& d : out.drawing) error_shown |= d.find(text) != std::string::npos;
    EXPECT_TRUE(error_shown);
    // A failure never ends in a selection that looks complete.
    EXPECT_NE(out.parts.back(), 2u);
  }

  testing_support::Sandbox box;
  volatile uint32_t ticks = 0;
  Outcome clean;
};

TEST_F(ViewFaults, EveryCallFailingOnceEndsWithAnErrorOrTheCleanResult) {
  for (int slot : kSlots) {
    int last = clean.calls[slot];
    int stride = testing_support::ScaledStride(last);
    for (int nth = 1; nth <= last; nth = (nth < last && nth + stride > last) ? last : nth + stride) {
      Outcome out = Run([&] { box.files().FailCall(slot, nth, -1); });
      ExpectCleanOrFailed(out, "slot " + std::to_string(slot) + " call " + std::to_string(nth),
                          slot == kFspClose);
      Outcome dispatch = Run([&] { box.files().FailDispatch(slot, nth); });
      ExpectCleanOrFailed(dispatch, "dispatch of slot " + std::to_string(slot) + " call " +
                                        std::to_string(nth),
                          slot == kFspClose);
    }
  }
}

TEST_F(ViewFaults, ShortReadsChangeNothing) {
  int last = clean.calls[kFspRead];
  int stride = testing_support::ScaledStride(last);
  for (int nth = 1; nth <= last; nth = (nth < last && nth + stride > last) ? last : nth + stride) {
    for (uint16_t count : {uint16_t(1), uint16_t(100), uint16_t(511)}) {
      Outcome out = Run([&] { box.files().ShortRead(nth, count); });
      SCOPED_TRACE("read " + std::to_string(nth) + " of " + std::to_string(count));
      EXPECT_EQ(out.view_result, 2u);
      EXPECT_EQ(out.parts, clean.parts);
      EXPECT_EQ(out.copy, clean.copy);
    }
  }
}

}  // namespace
