#include "tests/support/tracer_rig.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include "bridge/display.h"
#include "host/commands/key_script.h"

namespace testing_support {

TracerRig::TracerRig(uint32_t language) {
  setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1);
  std::string error;
  EXPECT_TRUE(runner.Load(language, &error)) << error;
}

int TracerRig::Keys(const std::string& script) {
  std::vector<host::KeyStep> steps;
  std::string error = host::ParseKeyScript(script, host::kFormKeys, &steps);
  EXPECT_EQ(error, "") << script;
  std::vector<uint8_t> codes;
  EXPECT_TRUE(host::FormKeyCodes(steps, runner.LeaveKey(), &codes, &error)) << error;
  int result = 0;
  for (uint8_t code : codes)
    if ((result = runner.Data(code)) == 9) break;
  return result;
}

std::vector<std::string> TracerRig::TextsAt(int x, int y) const {
  std::vector<std::string> texts;
  int at_x = -1, at_y = -1;
  for (const host::GdiCall& c : const_cast<host::DisplayServices&>(display).recorder().calls()) {
    if (c.word == kDisplayTextStyle) {
      at_x = c.x;
      at_y = c.y;
    } else if (c.word == kDisplayWriteText && at_x == x && at_y == y) {
      texts.push_back(c.text);
    }
  }
  return texts;
}

std::string TracerRig::LastTextAt(int x, int y) const {
  std::vector<std::string> texts = TextsAt(x, y);
  return texts.empty() ? "" : texts.back();
}

std::vector<TracerRig::Shape> TracerRig::Fills() const {
  std::vector<Shape> fills;
  int colour = -1;
  for (const host::GdiCall& c : const_cast<host::DisplayServices&>(display).recorder().calls()) {
    if (c.word == kDisplaySetColors) colour = c.fg;
    if (c.word == kDisplayFill) fills.push_back({c.x, c.y, c.w, c.h, colour});
  }
  return fills;
}

std::vector<TracerRig::Shape> TracerRig::Arcs() const {
  std::vector<Shape> arcs;
  int colour = -1;
  for (const host::GdiCall& c : const_cast<host::DisplayServices&>(display).recorder().calls()) {
    if (c.word == kDisplaySetColors) colour = c.fg;
    if (c.word == kDisplayArc) arcs.push_back({c.x, c.y, c.x2 - c.x, 0, colour});
  }
  return arcs;
}

}  // namespace testing_support
