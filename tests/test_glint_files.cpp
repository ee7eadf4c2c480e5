// The scope's files: GlnSet.sys read once and clamped, saved without ever
// losing the old one; the export written byte for byte, readable by a
// spreadsheet, and never left half-written under its name.
#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "bridge/display.h"
#include "glint/scope.h"
#include "glint/scope_export.h"
#include "glint/settings_file.h"
#include "host/runners/scope_runner.h"
#include "tests/support/scope_host.h"

namespace {

const char kSettings[] = "c:\\glint\\GlnSet.sys";

std::string Block(const GlintSettings& s, size_t length = sizeof(GlintSettings)) {
  std::string bytes(reinterpret_cast<const char*>(&s), sizeof s);
  bytes.resize(length, 'x');
  return bytes;
}

GlintSettings Sample() {
  GlintSettings s;
  DefaultSettings(&s);
  s.time_base = 2500;
  s.channels[3] = {0, 1, 25, 777, 0};
  s.channels[7].scale = 5;
  return s;
}

// Files in the settings folder other than the ones a test put there.
std::vector<std::string> Strays(const testing_support::ScopeHost& host) {
  std::vector<std::string> out;
  for (auto& e : std::filesystem::directory_iterator(host.box.root() + "/c/glint")) {
    std::string name = e.path().filename().string();
    if (name != "keep.txt" && name != "GlnSet.sys" && name != "scope.txt") out.push_back(name);
  }
  return out;
}

TEST(GlintSettingsFile, ReadOnceClampedOrIgnored) {
  GlintSettings defaults, sample = Sample(), wild = Sample(), foreign = Sample();
  DefaultSettings(&defaults);
  wild.channels[0].scale = 0;
  wild.channels[1].scale = 600000000;
  wild.time_base = 10;
  GlintSettings wild_clamped = wild;
  wild_clamped.channels[0].scale = 1;
  wild_clamped.channels[1].scale = 500000000;
  wild_clamped.time_base = 25;
  GlintSettings slow = Sample();
  slow.time_base = 9999;
  GlintSettings slow_clamped = slow;
  slow_clamped.time_base = 5000;
  foreign.magic = 0x0ABCBA02;
  struct Case {
    const char* why;
    std::string file;
    const GlintSettings& expected;
  } cases[] = {
      {"taken", Block(sample), sample},
      {"207 bytes: ignored", Block(sample, 207), defaults},
      {"another magic: ignored", Block(foreign), defaults},
      {"longer: its first 208 bytes", Block(sample, 300), sample},
      {"scales and time base clamped", Block(wild), wild_clamped},
      {"time base above 5000 clamped", Block(slow), slow_clamped},
      {"empty", "", defaults},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    testing_support::ScopeHost host;
    host.box.Write(kSettings, c.file);
    Scope s;
    ScopeInit(&s);
    ScopePrefix(&s, &host.record);
    for (int k = 0; k < kGlintChannels; ++k) {
      EXPECT_EQ(s.settings.channels[k].shown, c.expected.channels[k].shown) << k;
      EXPECT_EQ(s.settings.channels[k].marked, c.expected.channels[k].marked) << k;
      EXPECT_EQ(s.settings.channels[k].colour, c.expected.channels[k].colour) << k;
      EXPECT_EQ(s.settings.channels[k].scale, c.expected.channels[k].scale) << k;
    }
    EXPECT_EQ(s.settings.time_base, c.expected.time_base);
    EXPECT_EQ(host.box.files().open_handles(), 0);
    // Read once per load: opening the screen again reads nothing.
    int opens = host.box.files().calls(kFspOpen);
    ScopePrefix(&s, &host.record);
    EXPECT_EQ(host.box.files().calls(kFspOpen), opens);
  }
}

TEST(GlintSettingsFile, SavedSettingsReadBackAndColoursStayInThePalette) {
  testing_support::ScopeHost host;
  Scope s;
  ScopeInit(&s);
  ScopePrefix(&s, &host.record);
  s.settings = Sample();
  s.settings.channels[5].colour = 99;  // outside the palette: drawn in the default
  EXPECT_EQ(ChannelColourByte(&s, 5), BARVA_FIAL);
  EXPECT_EQ(ChannelColourByte(&s, 3), BARVA_P2);
  host.record.key = 5;
  ScopeData(&s, &host.record);
  Scope fresh;
  ScopeInit(&fresh);
  ScopePrefix(&fresh, &host.record);
  for (int k = 0; k < kGlintChannels; ++k) {
    const GlintChannelSettings &a = fresh.settings.channels[k], &b = s.settings.channels[k];
    EXPECT_EQ(std::vector<uint32_t>({a.shown, a.marked, a.colour, a.scale}),
              std::vector<uint32_t>({b.shown, b.marked, b.colour, b.scale})) << "channel " << k;
  }
  EXPECT_EQ(fresh.settings.time_base, 2500u);
  EXPECT_TRUE(Strays(host).empty());
}

// Every file-service call of a save and of an export fails in turn, by
// status and by a failed dispatch: the old file stays byte for byte, no
// temporary file is left and the failure is shown, its box left standing over
// the view without a restart.
TEST(GlintFileFaults, EveryCallOfSaveAndExportFailing) {
  struct Operation {
    uint8_t key;
    const char* file;
    const char* failure;
  } operations[] = {{5, kSettings, "Settings not saved"}, {30, "c:\\glint\\scope.txt", "Export failed"}};
  const int slots[] = {kFspOpen, kFspWrite, kFspClose, kFspRename, kFspDelete};
  std::string old_settings = Block(Sample());
  for (const Operation& op : operations) {
    // What a failure leaves on the screen: whether its box was the last
    // thing drawn, the shift afterwards, and the calls of the next idle step.
    struct Screen {
      bool box_last = false;
      uint32_t shift = 0;
      size_t idle_calls = 0;
    } screen;
    auto run = [&](auto arm, std::string* file, std::vector<std::string>* texts,
                   std::vector<std::string>* strays, int* handles, int counts[14]) {
      testing_support::ScopeHost host(100);
      host.Fill(0, 60, [](uint32_t row, int k) { return static_cast<int32_t>(row * 1000 + k); });
      host.box.Write(kSettings, old_settings);
      host.box.Write("c:\\glint\\scope.txt", "an earlier export");
      Scope s;
      ScopeInit(&s);
      ScopePrefix(&s, &host.record);
      s.settings.time_base = 50;  // differs from the file's
      s.shift = 7;                // a view shifted back
      int before[14];
      for (int slot = 0; slot < 14; ++slot) before[slot] = host.box.files().calls(slot);
      arm(host.box.files());
      host.Clear();
      host.record.key = op.key;
      ScopeData(&s, &host.record);
      *file = host.box.Read(op.file);
      *texts = host.Texts();
      screen.box_last = !host.calls().empty() && host.calls().back().text == op.failure;
      screen.shift = s.shift;
      host.Clear();
      host.record.key = 0;
      ScopeData(&s, &host.record);
      screen.idle_calls = host.calls().size();
      *strays = Strays(host);
      *handles = host.box.files().open_handles();
      for (int slot = 0; slot < 14; ++slot) counts[slot] = host.box.files().calls(slot) - before[slot];
    };
    std::string clean_file, file;
    std::vector<std::string> texts, strays;
    int handles = 0, clean[14] = {}, counts[14] = {};
    run([](host::FileServices& f) { f.ClearFaults(); }, &clean_file, &texts, &strays, &handles, clean);
    ASSERT_NE(clean_file, op.key == 5 ? old_settings : "an earlier export");
    ASSERT_TRUE(strays.empty());
    std::string old = op.key == 5 ? old_settings : "an earlier export";
    for (int slot : slots) {
      int calls = clean[slot];
      ASSERT_GT(calls, 0) << "slot " << slot;
      for (int nth = 1; nth <= calls; ++nth) {
        for (bool dispatch : {false, true}) {
          SCOPED_TRACE("key " + std::to_string(op.key) + ", slot " + std::to_string(slot) + " call " +
                       std::to_string(nth) + (dispatch ? " dispatch fails" : " status -3"));
          run([&](host::FileServices& f) {
                if (dispatch) f.FailDispatch(slot, nth);
                else f.FailCall(slot, nth, -3);
              },
              &file, &texts, &strays, &handles, counts);
          EXPECT_EQ(file, old);
          EXPECT_TRUE(strays.empty()) << strays.front();
          EXPECT_NE(std::find(texts.begin(), texts.end(), op.failure), texts.end());
          // No restart: the box stays over the view as it was, shift kept,
          // until a key redraws the view.
          EXPECT_TRUE(screen.box_last);
          EXPECT_EQ(screen.shift, 7u);
          EXPECT_EQ(screen.idle_calls, 0u);
          // A close the host refused leaves its handle with the host.
          EXPECT_EQ(handles, slot == kFspClose ? 1 : 0);
        }
      }
    }
  }
}

// The export through the real library and the host's runner.
class GlintExport : public ::testing::Test {
 protected:
  void SetUp() override { setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1); }
};

TEST_F(GlintExport, ByteForByteAndInASpreadsheet) {
  testing_support::Sandbox box;
  box.Write("c:\\glint\\keep.txt", "");
  host::Screen screen(640, 480);
  host::DisplayServices display(screen, host::TextStyle::kScreen);
  host::ScopeRunner runner(box.files(), display);
  std::string error;
  ASSERT_TRUE(runner.Load(&error)) << error;
  host::Recording recording;
  const int32_t extremes[] = {INT32_MIN, INT32_MAX, 0, -1, 1, 99999999, -123456, 42, 7, -7};
  for (int r = 0; r < 7; ++r) {
    GlintRow row{};
    for (int k = 0; k < kGlintChannels; ++k) row.values[k] = r == 0 ? extremes[k] : r * 100 - k;
    recording.rows.push_back(row);
  }
  host::ScopeHostOptions options;
  options.ring_length = 5;  // holds the newest 4 rows, written across its end
  runner.Setup(options, recording);
  runner.FillStopped();
  runner.Prefix();
  runner.Data(30);
  std::string expected = std::string(kExportHeader) +
      "       0:\t         300\t         299\t         298\t         297\t         296\t"
      "         295\t         294\t         293\t         292\t         291\t\r\n"
      "       1:\t         400\t         399\t         398\t         397\t         396\t"
      "         395\t         394\t         393\t         392\t         391\t\r\n"
      "       2:\t         500\t         499\t         498\t         497\t         496\t"
      "         495\t         494\t         493\t         492\t         491\t\r\n"
      "       3:\t         600\t         599\t         598\t         597\t         596\t"
      "         595\t         594\t         593\t         592\t         591\t\r\n";
  EXPECT_EQ(box.Read("c:\\glint\\scope.txt"), expected);

  // The extremes, opened by a spreadsheet: ten numeric columns per row.
  options.ring_length = 100;
  runner.Setup(options, recording);
  runner.FillStopped();
  runner.Data(30);
  if (system("command -v ssconvert >/dev/null 2>&1") != 0) {
    if (getenv("CI") != nullptr) FAIL() << "ssconvert (gnumeric) missing: tools/setup.sh installs it";
    GTEST_SKIP() << "ssconvert (gnumeric) is not installed";
  }
  std::string dir = box.root() + "/c/glint";
  std::string command = "cd '" + dir + "' && ssconvert scope.txt scope.csv >/dev/null 2>&1";
  ASSERT_EQ(system(command.c_str()), 0);
  std::ifstream csv(dir + "/scope.csv");
  std::string line;
  int row = 0;
  while (std::getline(csv, line)) {
    if (line.empty() || !isdigit(static_cast<unsigned char>(line[0]))) continue;  // header lines
    std::stringstream cells(line);
    std::string cell;
    std::getline(cells, cell, ',');
    EXPECT_EQ(cell, std::to_string(row) + ":");
    for (int k = 0; k < kGlintChannels; ++k) {
      ASSERT_TRUE(std::getline(cells, cell, ','));
      EXPECT_NE(cell.front(), '"') << "a number, not text";
      EXPECT_EQ(std::stoll(cell), recording.rows[static_cast<size_t>(row)].values[k]) << row << "," << k;
    }
    ++row;
  }
  EXPECT_EQ(row, 7);
}

}  // namespace
