// Anvil's own build of the program view: the same drawing as Kerf's, with
// the texts taken from Anvil's table at Anvil's numbers.
#include <gtest/gtest.h>

#include "host/services/dispatch.h"
#include "host/screen/text.h"
#include "host/runners/view_runner.h"
#include "tests/support/sandbox.h"

namespace {

class AnvilView : public ::testing::Test {
 protected:
  void SetUp() override { setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1); }
  void TearDown() override { host::SetDispatchObserver({}); }

  // Draws `program` (as c:\p.knf, or a missing file) with `library`;
  // returns every recorded call, described.
  std::vector<std::string> Draw(const std::string& library, const std::string& program,
                                uint32_t language, bool missing = false) {
    testing_support::Sandbox box;
    box.Write("c:\\p.knf", program);
    host::Screen screen(640, 480);
    host::ViewRunner runner(box.files(), screen, &ticks, 1000);
    host::ViewOptions options;
    options.library = library;
    options.language = language;
    options.program_dos_path = missing ? "c:\\missing.knf" : "c:\\p.knf";
    options.right = 639;
    options.bottom = 479;
    std::string error;
    EXPECT_TRUE(runner.Load(options, &error)) << error;
    // Every host call takes 100 ms, so the status line shows progress.
    host::SetDispatchObserver([this](uint32_t, int) { ticks = ticks + 100; });
    runner.RunToEnd();
    runner.Stop();
    host::SetDispatchObserver({});
    get_text = runner.library().Bind<const char* (*)(uint32_t)>("GetLocString");
    const char* text152 = get_text ? get_text(152) : nullptr;
    last_text = text152 ? text152 : "";
    std::vector<std::string> calls = runner.graphics().recorder().Descriptions();
    EXPECT_EQ(box.files().open_handles(), 0);
    return calls;
  }

  volatile uint32_t ticks = 0;
  const char* (*get_text)(uint32_t) = nullptr;
  std::string last_text;
};

TEST_F(AnvilView, MissingFileShowsAnvilsText152) {
  auto calls = Draw("Anvil", "", 9, true);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(last_text, "File path error");
  bool shown = false;
  for (const auto& c : calls) shown |= c.find("\"File path error\"") != std::string::npos;
  EXPECT_TRUE(shown);
}

TEST_F(AnvilView, DrawsExactlyAsKerfDoesInEveryLanguage) {
  std::string program = "5\r\n+100+0\r\n6\r\n+0+100+0+50+\r\n101\r\nTEXT\r\n102\r\n-100-100\r\n";
  for (int i = 0; i < 400; ++i) program += "+10+0\r\n";
  for (uint32_t language : {5u, 9u, 25u}) {
    ticks = 0;
    auto kerf = Draw("Kerf", program, language);
    ticks = 0;
    auto anvil = Draw("Anvil", program, language);
    EXPECT_EQ(kerf, anvil) << "language " << language;
    // The status line's word for "line" came from each library's own table.
    bool status_shown = false;
    for (const auto& c : anvil) status_shown |= c.find("%      ") != std::string::npos;
    EXPECT_TRUE(status_shown);
  }
}

}  // namespace
