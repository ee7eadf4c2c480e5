// The preprocessor through its exports, with the host's file services: the
// language's edge cases, one output byte for byte, operator input, time
// slices and the faults the library guards against.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "host/services/dispatch.h"
#include "tests/support/preprocess_host.h"

namespace {

using testing_support::CrLf;
using testing_support::PreprocessHost;
using testing_support::Translation;

// The texts of the numbered blocks the program made: the blocks between
// the opening "G23" and the closing "G35", "M30", without their echo.
std::vector<std::string> ProgramBlocks(const std::string& output) {
  std::vector<std::string> blocks;
  size_t start = output.find("%1\r\n");
  if (start == std::string::npos) return blocks;
  size_t pos = start + 4;
  while (pos < output.size()) {
    size_t end = output.find("\r\n", pos);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(pos, end - pos);
    pos = end + 2;
    if (line.empty() || line[0] != 'N') continue;
    size_t blank = line.find(' ');
    std::string text = line.substr(blank + 1);
    size_t echo = text.find("  \"");
    if (echo != std::string::npos) text = text.substr(0, echo);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    blocks.push_back(text);
  }
  // The opening two and the closing two belong to every program.
  if (blocks.size() < 4) return {};
  return std::vector<std::string>(blocks.begin() + 2, blocks.end() - 2);
}

struct LanguageCase {
  std::vector<std::string> source;
  std::vector<std::string> blocks;  // when it translates
  const char* error;                // else the error line shown
  const char* why;
};

class Norvik : public ::testing::Test {
 protected:
  void SetUp() override {
    host.WriteProgramFile("FI1EOR", CrLf({"+12X5Y5", "+1X100Y200Z-3.5", "+7 X1"}));
    host.WriteProgramFile("HOLES.DAT", CrLf({"+10-20.5+7", "+1+2", "5+x"}));
    host.WriteProgramFile("SUB.SPF", CrLf({"X1", "(CLS,SUB2.SPF)"}));
    host.WriteProgramFile("SUB2.SPF", CrLf({"Y2"}));
    host.WriteProgramFile("ONE.DAT", CrLf({"+1+2"}));
    host.WriteProgramFile("SELF.SPF", CrLf({"(CLS,SELF.SPF)"}));
  }
  PreprocessHost host;
};

TEST_F(Norvik, LanguageCases) {
  std::string twenty_one = "(DIS";
  for (int i = 0; i < 21; ++i) twenty_one += ",1";
  twenty_one += ")";
  std::string long_param = "(DIS,\"" + std::string(49, 'a') + "\")";
  std::string long_name = "(CLS," + std::string(49, 'A') + ")";
  std::vector<std::string> hundred_messages;
  for (int i = 0; i < 100; ++i) hundred_messages.push_back("(DIS,\"M\")");
  std::vector<std::string> loop = {"\"L\"", ";" + std::string(120, '-'), "X1", "(BNC,L)"};
  std::string hundred_chars = "SYVARCH=\"" + std::string(100, 'c') + "\"";

  const LanguageCase cases[] = {
      {{"(DLY,1.5)"}, {"G04 Q150"}, nullptr, "a dwell of 1.5 s is Q150"},
      {{"(UIO,X5)", "X10Y-0.25"}, {"X15 Y-0.25"}, nullptr, "offsets are added, each word ends in a blank"},
      {{"X10 Y5"}, {}, "Chyba na řádku, řadek nerozpoznán", "no blanks inside a block"},
      {{"(UIO,X5)", "G91X1", "X2", "G90X3"}, {"G91 X1", "X2", "G90 X8"}, nullptr,
       "no offsets in G91; G90 brings them back"},
      {{"\"L1\"X"}, {}, "Chyba, návěští musí být na řádce samo", "a label stands alone"},
      {{"E1=0", "(RPT,3)", "E1=E1+1", "XE1", "(ERP)"}, {"X1", "X2", "X3"}, nullptr, "a repeat of 3"},
      {{"(RPT,1)", "X1", "(ERP)"}, {"X1"}, nullptr, "a repeat of 1 runs once"},
      {{"(RPT,0)", "X1", "(ERP)", "X2"}, {"X2"}, nullptr, "a count of 0 passes over the body"},
      {{"(RPT,-2)", "X1", "(ERP)", "(RPT,2)", "Y1", "(ERP)"}, {"Y1", "Y1"}, nullptr,
       "a negative count leaves no repeat active"},
      {{"(RPT,2)", "X1", "(BNC,OUT)", "(ERP)", "\"OUT\"", "(RPT,2)", "X2", "(ERP)"},
       {"X1", "X2", "X2"}, nullptr, "a jump past ERP ends the repeat"},
      {{"E1=0", "\"TOP\"", "E1=E1+1", "(BGT,E1,2,END)", "(RPT,2)", "X1", "(BNC,TOP)", "(ERP)",
        "\"END\""},
       {"X1", "X1"}, nullptr, "a jump before RPT ends the repeat (else RPT would find it active)"},
      {{"E1=0", "(RPT,2)", "E1=E1+1", "(BEQ,E1,1,SKIP)", "X1", "\"SKIP\"", "XE1", "(ERP)"},
       {"X1", "X1", "X2"}, nullptr, "a jump within the body keeps the repeat"},
      {{"(RPT,2)", "(RPT,2)", "(ERP)"}, {}, "Chyba, RPT již bylo stuštěno", "one repeat per file"},
      {{"X1", "(BNC,NOWHERE)"}, {}, "Chyba, návěští nenalezeno při skoku z řádky 2",
       "a missing label names the jump's line"},
      {loop, {}, "Chyba, přetečení souboru! Zacykleno?", "an endless loop stops"},
      {{"E1=3", "E2=4", "(BLT,E1,E2,A)", "X9", "\"A\"", "(BGE,E1,E2,B)", "X1", "\"B\"",
        "(BNE,E1,E2,C)", "X2", "\"C\"", "(BLE,E1,3,D)", "X3", "\"D\"", "(BEQ,E1+1,E2,E)", "X4",
        "\"E\""},
       {"X1"}, nullptr, "the conditional jumps"},
      {{"T5.12", "T7"}, {"T5 D12 M91 G24", "T7 D0 M91 G24"}, nullptr,
       "a T word's D number; none without a point"},
      {{"T1.1", "Z5", "G59Z1", "Z6", "X1", "X2"}, {"T1 D1 M91 G24", "Z5", "G59 Z1", "Z6", "G23 X1", "X2"},
       nullptr, "the third block after a tool change gets G23"},
      {{"(MIR,X)", "(UIO,X5)", "G79X1", "X2"}, {"G35 X0", "G35 D0", "G59 X1", "G35 X0", "D0", "X-3"},
       nullptr, "G79: G35 D0 before, G35 and D after, no offset; mirrored offsets subtract"},
      {{"(MIR,X,Y)", "(MIR)", "G79"}, {"G35 X0 Y0", "G35", "G35 D0", "G59", "D0"}, nullptr,
       "MIR without axes ends mirroring"},
      {{"M52M53M54M11M12M13M14M7"}, {"M62 M63 M64 M21 M22 M23 M24 M7"}, nullptr, "M renumbering"},
      {{"S2500F1500.7H3.9G4G9G27G29X1"}, {"S250 F1500 H3 X1"}, nullptr,
       "integer words; G4, G9, G27, G29 dropped"},
      {{"X1r0", "X", "B-1.5I2J3K4R5"}, {"X1", "X0", "B-1.5 I2 J3 K4 R5"}, nullptr,
       "r0 is dropped, a lone letter is 0"},
      {{"X1r1"}, {}, "Chyba na řádku, řadek nerozpoznán", "only r0"},
      {{"R-1"}, {}, "Chyba, rádius kružnice nemůže být záporný", "a negative radius"},
      {{"A1"}, {}, "Chyba na řádku, řadek nerozpoznán", "an unknown address letter"},
      {{"E1=9876543210.5", "XE1", "GE1"}, {"X9876543210.5", "GOVERFLOW"}, nullptr,
       "integer parts beyond 32 bits"},
      {{"E1=SQR(-1)"}, {}, "Chyba ve výrazu na znaku 4", "no NaN reaches an E-parameter"},
      {{"(RPT,9876543210)"}, {}, "Chyba, špatně zadaný parametr (1)", "a count beyond 32 bits"},
      {{"XE1000"}, {}, "Chyba ve výrazu na znaku 2", "an index above 999"},
      {{twenty_one}, {}, "Chyba, špatný počet parametrů", "at most 20 parameters"},
      {{long_param}, {}, "Chyba, špatně zadaný parametr (1)", "a parameter over 50 characters"},
      {{"(DIS,\"a,b\",E5,\"c\")"}, {"G26 R5=51010001"}, nullptr, "a message; commas inside quotes"},
      {hundred_messages, {}, "Chyba, počet zpráv je větší než 100", "at most 99 messages"},
      {{"(UAO,1)"}, {"G92 G54 X100 Y200 Z-3.5"}, nullptr, "origin 1, not origin 12"},
      {{"(UAO,7)"}, {"G92 G54 X1"}, nullptr, "blanks in the table line"},
      {{"(MIR,Y)", "(UAO,1)"}, {"G35 Y0", "G92 G54 X100 Y-200 Z-3.5"}, nullptr,
       "a mirrored axis inverts the origin"},
      {{"E3=0", "(UOT,1,X10,Y-E3)", "X1Y1"}, {"G92 G54 X100 Y200 Z-3.5", "X11 Y1"}, nullptr,
       "UOT adds its axis values"},
      {{"(UAO,3)"}, {}, "Chyba, počátek nebyl v tabulce nalezen", "an unknown origin"},
      {{"(UIO,Q5)"}, {}, "Chyba, špatně zadaný parametr (1)", "an axis value needs X, Y or Z"},
      {{"(DER,0,E1,E2)", "(OPN,3,HOLES.DAT)", "(RED,3,0)", "XE1YE2", "(RED,3,0)", "XE1YE2",
        "(CLO,3)"},
       {"X10 Y-20.5", "X1 Y2"}, nullptr, "data lines fill a layout; surplus numbers ignored"},
      {{"(OPN,3,HOLES.DAT)", "(RED,3,0)", "(RED,3,0)", "(RED,3,0)"}, {},
       "Chyba, v tabulce je špatně napsane číslo", "a malformed number in a data line"},
      {{"(OPN,3,HOLES.DAT)", "(RED,3,0)", "(RED,3,0)", "(CLO,3)", "(OPN,3,ONE.DAT)", "(RED,3,0)",
        "(RED,3,0)"},
       {}, "Chyba při čtení ze souboru", "reading past the end"},
      {{"(OPN,3,HOLES.DAT)", "(OPN,3,HOLES.DAT)"}, {}, "Chyba, soubor je již otevřen", "a slot in use"},
      {{"(CLO,4)"}, {}, "Chyba, soubor nebyl dříve otevřen", "closing a slot not open"},
      {{"(OPN,20,HOLES.DAT)"}, {}, "Chyba, špatně zadaný parametr (1)", "slots 0-19 only"},
      {{"(OPN,1,NONE.DAT)"}, {}, "Chyba při otevírání souboru", "a data file that is missing"},
      {{"(DER,0,E1,E2,E3,E4,E5,E6,E7,E8,E9,E10,E11,E12,E13,E14,E15,E16,E17)"}, {},
       "Chyba, špatný počet parametrů", "at most 16 E-parameters in a layout"},
      {{"(DER,0,E1,X)"}, {}, "Chyba, špatně zadaný parametr (3)", "a layout holds E-parameters"},
      {{"(CLS,SUB.SPF)", "X3"}, {"X1", "Y2", "X3"}, nullptr, "nested sub-programs"},
      {{"(CLS,SELF.SPF)"}, {}, "Chyba při otevírání souboru", "an eleventh nested file"},
      {{long_name}, {}, "Chyba při otevírání souboru", "a path too long for its buffer"},
      {{"(INP,1,X)"}, {}, "Chyba, 2.parametr INP musí být Exxx", "INP stores into an E-parameter"},
      {{"(ABC)"}, {}, "Chyba, 3písmenný příkaz nerozpoznán", "an unknown command"},
      {{"(WRT,1)"}, {}, "Chyba, 3písmenný příkaz nerozpoznán", "WRT is not supported"},
      {{"(AB)"}, {}, "Chyba na řádku, řadek nerozpoznán", "a command needs its fifth character"},
      {{"(UCG,1,2)", "(DCG)", "; X1", "*X2", "X3"}, {"X3"}, nullptr,
       "ignored commands, comments and starred lines"},
      {{"/X1", "X2"}, {"X1", "X2"}, nullptr, "a slash line without the skip flag"},
      {{"SYVARCH=\"abc\"", "E7=E7"}, {}, nullptr, "the character table"},
      {{hundred_chars, hundred_chars, hundred_chars}, {}, "Chyba ve výrazu na znaku 10", "at most 200 characters in the table"},
      {{"SYVARXY=\"a\""}, {}, "Chyba ve výrazu na znaku 1", "an unknown system variable"},
      {{"X1 = 2"}, {}, "Chyba ve výrazu na znaku 1", "an assignment to something else"},
      {{"X1;2"}, {}, "Chyba na řádku, řadek nerozpoznán", "neither block nor assignment"},
  };
  for (const LanguageCase& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<std::string> source = c.source;
    Translation t = host.TranslateText(CrLf(source));
    EXPECT_EQ(t.handles_left, 0);
    EXPECT_FALSE(t.work_file_left);
    if (c.error == nullptr) {
      EXPECT_EQ(t.end, host::PreprocessEnd::kComplete) << t.error;
      EXPECT_EQ(ProgramBlocks(t.output), c.blocks);
    } else {
      EXPECT_EQ(t.end, host::PreprocessEnd::kHalted);
      EXPECT_EQ(t.error, c.error);
      // Half a program is never left under the destination's name.
      EXPECT_FALSE(t.output_exists);
    }
  }
}

TEST_F(Norvik, SkipFlagDropsSlashLines) {
  host.skip_slash = true;
  Translation t = host.TranslateText(CrLf({"/X1", "X2"}));
  EXPECT_EQ(ProgramBlocks(t.output), (std::vector<std::string>{"X2"}));
}

TEST_F(Norvik, OutputByteForByte) {
  host.WriteProgramFile("ARC.SPF", CrLf({"G2X5Y0I2.5J0"}));
  Translation t = host.TranslateText(CrLf({
      "; plate",
      "E1=2",
      "(DIS,\"Plate \",E1,\" mm, a message longer than two\",\" lines of twenty-nine!\")",
      "(RPT,E1)",
      "G1X10Y-0.25",
      "(ERP)",
      "(CLS,ARC.SPF/comment)",
      "(DLY,0.5)",
  }));
  ASSERT_EQ(t.end, host::PreprocessEnd::kComplete) << t.error;
  const std::string expected =
      "{\r\nMSG(THIS)\r\n}\r\n$MSGBEGIN 01\r\n"
      "&1\r\nPlate 2 mm, a message longer \r\nthan two lines of twenty-nine\r\n"
      "$MSGEND\r\n"
      "%1\r\n"
      "N1 G26 R5=51000000\r\n"
      "N2 G23\r\n"
      "  \"; plate\r\n"
      "  \"E1=2\r\n"
      "N3 G26 R5=51010001  \"(DIS,'Plate ',E1,' mm, a message longer than two',' lines of twenty-nine!')\r\n"
      "  \"(RPT,E1)\r\n"
      "N4 G1 X10 Y-0.25   \"G1X10Y-0.25\r\n"
      "  \"(ERP)\r\n"
      "N5 G1 X10 Y-0.25   \"G1X10Y-0.25\r\n"
      "  \"(ERP)\r\n"
      "  \"(CLS,ARC.SPF/comment)\r\n"
      "  \"--------ARC.SPF--------\r\n"
      "N6 G2 X5 Y0 I2.5 J0   \"G2X5Y0I2.5J0\r\n"
      "  \"\r\n"
      "  \"-----------------------\r\n"
      "N7 G04 Q50  \"(DLY,0.5)\r\n"
      "  \"\r\n"
      "  \"-----------------------\r\n"
      "N8 G35\r\n"
      "N9 M30\r\n"
      "*\r\n";
  EXPECT_EQ(t.output, expected);
}

TEST_F(Norvik, OperatorInputAndParametersAcrossTranslations) {
  // Typed answers: the old value is replaced by the first key; "." is the
  // point key, "-" the sign key, <46> deletes the last character. Handed
  // over whole or one key at a time (the console's operator), they write
  // the same and count as the same three inputs.
  const std::string source = CrLf({"(DEF,1,2,\"Width: \")", "(INP,1,E10)", "(INP,\"Height: \",E11)",
                                   "(INP,1,E12)", "(OUT,1,E10)", "XE10YE11ZE12"});
  const std::vector<std::string> answers = {"-12.5", "47<46>", ""};
  host.key_by_key = true;
  const Translation typed = host.TranslateText(source, answers);
  host.key_by_key = false;
  Translation t = host.TranslateText(source, answers);
  ASSERT_EQ(t.end, host::PreprocessEnd::kComplete) << t.error;
  EXPECT_EQ(t.inputs, 3u);
  EXPECT_EQ(typed.inputs, 3u);
  EXPECT_EQ(typed.output, t.output);
  // An empty answer (key 255 alone) keeps the old value of E12, 0 at load.
  EXPECT_EQ(ProgramBlocks(t.output), (std::vector<std::string>{"X-12.5 Y4 Z0"}));
  EXPECT_EQ(t.key_flag_after, 1) << "the flag stays set after key 255";
  // A second translation begins with the parameters the first one left; the
  // 255 still flagged from the last input is no answer to the next one.
  t = host.TranslateText(CrLf({"(INP,\"Again: \",E10)", "XE10YE11"}), {"3"});
  ASSERT_EQ(t.end, host::PreprocessEnd::kComplete) << t.error;
  EXPECT_EQ(ProgramBlocks(t.output), (std::vector<std::string>{"X3 Y4"}));
}

// The same translation in one call, and in 1 ms slices with a clock that
// moves on every host call, counting up or down, at any frequency (one
// below 1000 counts per second included); no slice makes more than a few
// host calls, a long label search and the final copy included.
TEST_F(Norvik, SlicesGiveTheSameOutput) {
  std::vector<std::string> source = {"E1=0", "\"TOP\"", "E1=E1+1", "(CLS,SUB.SPF)",
                                     "(RPT,3)", "E2=E1*2", "XE2", "(ERP)", "(BLT,E1,4,TOP)",
                                     "(DIS,\"done\")"};
  for (int i = 0; i < 40; ++i) source.push_back("G1X" + std::to_string(i) + "Y-0.25");
  // A jump's search across 6000 lines (47 reads) and an output of some 40
  // blocks to copy behind the messages: each must give way within a slice.
  source.push_back("(BNC,FAR)");
  source.insert(source.end(), 6000, "X9");
  source.push_back("\"FAR\"");
  for (int i = 0; i < 640; ++i) source.push_back("G1X" + std::to_string(i) + "Y0.5");
  host.WriteProgramFile("main.prg", CrLf(source));
  Translation whole = host.Translate("main.prg");
  ASSERT_EQ(whole.end, host::PreprocessEnd::kComplete) << whole.error;
  EXPECT_EQ(whole.cont_calls, 1u);
  struct Clock {
    uint32_t step, frequency;
    bool down;
  } clocks[] = {{1, 1000, false}, {1, 1000, true}, {3000, 1000000, false}, {1, 0, false}, {1, 500, true}};
  for (const Clock& c : clocks) {
    SCOPED_TRACE(std::to_string(c.step) + " ticks per call at " + std::to_string(c.frequency) +
                 (c.down ? " down" : " up"));
    host.tick_step = c.step;
    host.tick_frequency = c.frequency;
    host.counts_down = c.down;
    Translation sliced = host.Translate("main.prg");
    EXPECT_EQ(sliced.end, host::PreprocessEnd::kComplete) << sliced.error;
    EXPECT_EQ(sliced.output, whole.output);
    EXPECT_GT(sliced.cont_calls, 20u);
    EXPECT_LE(sliced.most_calls, 20u) << "no slice runs a whole search or copy";
  }
}

}  // namespace

namespace {

// The host's side of the contract: Cont before any translation and after a
// stop reports completion; a stop in the middle leaves neither the work
// file nor half a destination; without texts (a failed LocalizationInit)
// the numbers of the texts are shown; an area narrower than 128 pixels
// gets no status or error line and nothing is drawn outside it.
TEST(NorvikHost, StopsTextsAndNarrowAreas) {
  testing_support::PreprocessHost host;
  std::vector<std::string> source;
  for (int i = 0; i < 200; ++i) source.push_back("G1X" + std::to_string(i));
  source.push_back("(ABC)");
  host.WriteProgramFile("main.prg", CrLf(source));
  volatile uint32_t ticks = 0;
  host::Screen screen(640, 480);
  host::PreprocessRunner runner(host.box().files(), screen, &ticks, 1000);
  host::PreprocessOptions options;
  options.source_dos_path = "c:\\prog\\main.prg";
  options.destination_dos_path = "c:\\out\\p.nc";
  options.left = 100;
  options.top = 50;
  options.right = 220;  // 121 pixels wide
  options.bottom = 300;
  std::string error;
  ASSERT_TRUE(runner.Load(options, &error)) << error;
  EXPECT_EQ(runner.Cont(), 2u) << "nothing to translate yet";
  // The program-view family only answers 0, without a host service call.
  int calls_before = 0;
  for (int s = 0; s < 14; ++s) calls_before += host.box().files().calls(s);
  size_t drawn_before = runner.graphics().recorder().calls().size();
  for (const char* name : {"ViewStart", "ViewCont", "ViewStop", "TransformStart", "TransformCont",
                           "TransformStop"}) {
    auto fn = runner.library().Bind<uint32_t (*)(void*)>(name);
    ASSERT_NE(fn, nullptr) << name;
    uint8_t record[64] = {};
    EXPECT_EQ(fn(record), 0u) << name;
  }
  int calls_after = 0;
  for (int s = 0; s < 14; ++s) calls_after += host.box().files().calls(s);
  EXPECT_EQ(calls_after, calls_before);
  EXPECT_EQ(runner.graphics().recorder().calls().size(), drawn_before);

  // A stop in the middle of a translation.
  host.box().files().ClearFaults();
  host::SetDispatchObserver([&ticks](uint32_t, int) { ticks = ticks + 1; });
  runner.Start();
  EXPECT_EQ(runner.Cont(), 1u);
  EXPECT_TRUE(host.box().Exists("c:\\out\\p.nc"));
  runner.Stop();
  host::SetDispatchObserver(nullptr);
  EXPECT_EQ(runner.Cont(), 2u) << "a stopped translation is over";
  EXPECT_FALSE(host.box().Exists("c:\\out\\p.nc"));
  EXPECT_FALSE(host.box().Exists("c:\\cmos\\TempFile.TMP"));
  EXPECT_EQ(host.box().files().open_handles(), 0);

  // Without texts, in the narrow area.
  auto localization = runner.library().Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  ASSERT_NE(localization, nullptr);
  EXPECT_EQ(localization(nullptr, 99), 0);
  runner.graphics().recorder().Clear();
  runner.Start();
  // The clock stands still: one call translates up to the error; the
  // translation then stays halted.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(runner.Cont(), 1u);
  EXPECT_TRUE(runner.error_line().empty()) << "no room for the error line";
  for (const host::GdiCall& call : runner.graphics().recorder().calls()) {
    if (call.slot == kGdiTextBox && call.columns > 0) {
      EXPECT_GE(call.x, options.left) << call.Describe();
      EXPECT_LE(call.x + 8 * call.columns - 1, options.right) << call.Describe();
    }
    if (call.slot == kGdiFillRect) {
      EXPECT_GE(call.x, options.left) << call.Describe();
      EXPECT_LE(call.x + call.w - 1, options.right) << call.Describe();
    }
  }
  runner.Stop();
  EXPECT_FALSE(host.box().Exists("c:\\out\\p.nc"));

  // The same error in a wide area shows the texts' numbers.
  options.right = 639;
  host::PreprocessRunner wide(host.box().files(), screen, &ticks, 1000);
  ASSERT_TRUE(wide.Load(options, &error)) << error;
  localization(nullptr, 99);
  wide.Start();
  EXPECT_EQ(wide.Cont(), 1u);
  EXPECT_EQ(wide.error_line(), "#6");
  EXPECT_EQ(wide.status_line().substr(0, 14), "#100:main.prg ");
  wide.Stop();
}

}  // namespace
