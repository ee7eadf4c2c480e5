// The contour transformation of libKerf.so, driven as the host drives it:
// key codes into TRANSFORM_INFO, the dialog read back from the drawing
// calls, the nesting program read back from the sandbox.
#include <gtest/gtest.h>
#include <math.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/services/graphics_services.h"
#include "host/services/loader.h"
#include "host/screen/screen.h"
#include "kerf/transform.h"
#include "tests/support/sandbox.h"

namespace {

using testing_support::Sandbox;
using TransformFn = uint32_t (*)(TRANSFORM_INFO*);

const char kOdd[] = "c:\\p\\odd.knf";
const char kEven[] = "c:\\p\\even.knf";
const char kOut[] = "c:\\p\\out.knf";
const char kOddTemp[] = "c:\\cmos\\tempLich.tmp";
const char kEvenTemp[] = "c:\\cmos\\tempSudy.tmp";

// A part with a hole and a half round end: arcs both ways, a closing code.
const char kPart[] =
    "[START]\r\n5\r\n+100+150\r\n6\r\n+0+0+50+0+\r\n5\r\n-100-150\r\n6\r\n"
    "+400+0\r\n+0+300+0+150+\r\n-400+0\r\n+0-300\r\n63\r\n*\r\n";
// A triangle with a clockwise arc, another shape for the even copies.
const char kOther[] = "6\r\n+300+0\r\n-150+200+0+100-\r\n-150-200\r\n99\r\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines.push_back(line);
      line.clear();
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += text[i];
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// A move or arc line: its numbers and kind (2 signs, 5 signs), else empty.
struct Move {
  int signs = 0;
  double v[4] = {0, 0, 0, 0};
  bool ccw = false;
};
Move ParseMove(const std::string& line) {
  Move m;
  size_t i = 0;
  int n = 0;
  while (i < line.size() && (line[i] == '+' || line[i] == '-')) {
    ++m.signs;
    if (n == 4) {
      m.ccw = line[i] == '+';
      break;
    }
    bool negative = line[i++] == '-';
    double value = 0;
    while (i < line.size() && isdigit(static_cast<unsigned char>(line[i])))
      value = value * 10 + (line[i++] - '0');
    m.v[n++] = negative ? -value : value;
  }
  if (m.signs != 2 && m.signs != 5) m.signs = 0;
  return m;
}

struct Box {
  double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
  void Add(double x, double y) {
    min_x = std::min(min_x, x);
    max_x = std::max(max_x, x);
    min_y = std::min(min_y, y);
    max_y = std::max(max_y, y);
  }
};

// End point and box of a contour's lines, arcs traced point by point.
void Trace(const std::vector<std::string>& lines, double* end_x, double* end_y, Box* box) {
  double x = 0, y = 0;
  for (const std::string& line : lines) {
    Move m = ParseMove(line);
    if (m.signs == 2) {
      x += m.v[0];
      y += m.v[1];
      box->Add(x, y);
    } else if (m.signs == 5) {
      // The centre made equidistant from both ends, as the format reads it.
      double a = m.v[0], b = m.v[1], c = m.v[2], d = m.v[3];
      double r1 = hypot(c, d), r2 = hypot(a - c, b - d), chord = hypot(a, b);
      double mean = (r1 + r2) / 2, h2 = 4 * mean * mean - chord * chord;
      if (r1 != r2 && chord > 0 && h2 >= 0) {
        double k = sqrt(h2) / (2 * chord);
        double x1 = a / 2 + k * b, y1 = b / 2 - k * a, x2 = a / 2 - k * b, y2 = b / 2 + k * a;
        bool first = hypot(x1 - c, y1 - d) <= hypot(x2 - c, y2 - d);
        c = first ? x1 : x2;
        d = first ? y1 : y2;
      }
      double cx = x + c, cy = y + d;
      double r = hypot(c, d);
      double a0 = atan2(-d, -c);
      double a1 = atan2(y + m.v[1] - cy, x + m.v[0] - cx);
      double sweep = m.ccw ? a1 - a0 : a0 - a1;
      while (sweep <= 1e-12) sweep += 2 * M_PI;
      for (int i = 0; i <= 4000; ++i) {
        double a = a0 + (m.ccw ? 1 : -1) * sweep * i / 4000;
        box->Add(cx + r * cos(a), cy + r * sin(a));
      }
      x += m.v[0];
      y += m.v[1];
    }
  }
  *end_x = x;
  *end_y = y;
}

// What the dialog shows: per row, the value text and whether it is the
// selected one.
struct Shown {
  std::map<int, std::string> text;
  int selected_row = -1;
};

class Transform : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(box.root() + "/c/cmos");
    std::string error;
    ASSERT_TRUE(lib.Open(testing_support::LibraryFile("Kerf"), &error)) << error;
    auto fsp_init = lib.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
    auto gdi_init = lib.Bind<int (*)(const GDI_INIT_PARAMS*)>("GDIInit");
    auto loc_init = lib.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
    start = lib.Bind<TransformFn>("TransformStart");
    cont = lib.Bind<TransformFn>("TransformCont");
    ASSERT_TRUE(fsp_init && gdi_init && loc_init && start && cont);
    fsp_init(&box.files().table());
    gdi_init(&graphics.table());
    ASSERT_TRUE(loc_init(nullptr, 9));
    box.Write(kOdd, kPart);
    box.Write(kEven, kOther);
    info.sources = sources;
    info.output = kOut;
    info.left = 100;
    info.top = 50;
    info.right = 599;
    info.bottom = 399;
  }
  void TearDown() override { EXPECT_EQ(box.files().open_handles(), refused_closes); }

  void Open(uint8_t kind, bool same_source = false) {
    graphics.recorder().Clear();
    sources[1] = same_source ? kOdd : kEven;
    info.kind = kind;
    EXPECT_EQ(start(&info), 0u);
  }

  uint32_t Press(uint8_t key) {
    graphics.recorder().Clear();
    info.event = 1;
    info.key = static_cast<int8_t>(key);
    uint32_t result = cont(&info);
    EXPECT_EQ(info.event, 0);
    return result;
  }
  void Type(const std::string& keys) {
    for (char c : keys) {
      uint8_t key = static_cast<uint8_t>(c);
      if (c == '.') key = kKeyPoint;
      if (c == '-') key = kKeySign;
      if (c == '<') key = kKeyDelete;
      Press(key);
    }
  }
  void Next(int times = 1) {
    for (int i = 0; i < times; ++i) Press(kKeyNext);
  }

  // The value boxes of the last redraw.
  Shown Dialog() {
    Shown s;
    int row = -1;
    for (const host::GdiCall& c : graphics.recorder().calls()) {
      if (c.slot == kGdiTextBox) {
        row = c.x == info.left + 220 ? (c.y - info.top - 40) / 20 : -1;
        if (row >= 0 && c.bg == CLR_BLACK) s.selected_row = row;
      } else if (c.slot == kGdiWriteText && row >= 0) {
        std::string t = c.text;
        while (!t.empty() && t.back() == ' ') t.pop_back();
        s.text[row] = t;
      }
    }
    return s;
  }
  int Selected() { return Dialog().selected_row; }
  std::string Value(int row) { return Dialog().text[row]; }

  // Texts written into the title bar region during the last call.
  std::vector<std::string> TitleTexts() {
    std::vector<std::string> out;
    bool in_title = false;
    for (const host::GdiCall& c : graphics.recorder().calls()) {
      if (c.slot == kGdiTextBox) in_title = c.y == info.top + 5;
      else if (c.slot == kGdiWriteText && in_title) out.push_back(c.text);
    }
    return out;
  }

  // Moves to OK with the next key and confirms.
  uint32_t Confirm() {
    for (int i = 0; i < 20 && Value(Selected()) != "OK"; ++i) Next();
    EXPECT_EQ(Value(Selected()), "OK");
    return Press(kKeyEnter);
  }

  // Kind 0 with the fields typed in (names: the kind-0 field numbers).
  uint32_t RunKind0(const std::map<int, std::string>& values, bool shorter = false,
                    bool same_source = false) {
    Open(0, same_source);
    for (int field = 1; field <= 10; ++field) {
      auto it = values.find(field);
      if (it == values.end() && !(field == 10 && shorter)) continue;
      for (int i = 0; i < 14 && Selected() != field - 1; ++i) Next();
      EXPECT_EQ(Selected(), field - 1) << "field " << field;
      if (field == 10) {
        if (Value(9) != "Yes") Press(kKeyToggleA);
      }
      else Type(std::string(11, '<') + it->second);
    }
    return Confirm();
  }

  std::string Output() const { return box.Read(kOut); }

  Sandbox box;
  host::Screen screen{800, 600};
  host::GraphicsServices graphics{screen};
  host::Library lib;
  TransformFn start = nullptr, cont = nullptr;
  const char* sources[2] = {kOdd, kEven};
  TRANSFORM_INFO info{};
  int refused_closes = 0;  // handles the host kept open after refusing a close
};

// ---------------------------------------------------------------------------
// Numbers: field texts in, move numbers out.

TEST(TransformNumbers, FieldTextsAreDecimals) {
  EXPECT_EQ(FieldNumber("-12.50"), -12.5);
  EXPECT_EQ(FieldNumber("0.05"), 0.05);
  EXPECT_EQ(FieldNumber("7."), 7);
  EXPECT_EQ(FieldNumber("-"), 0);
  EXPECT_EQ(FieldNumber(""), 0);
  EXPECT_EQ(FieldNumber("9999999999"), 9999999999.0);
}

TEST(TransformNumbers, HalvesRoundAwayFromZeroAndZeroHasAPlus) {
  EXPECT_EQ(RoundHalfAway(2.5), 3);
  EXPECT_EQ(RoundHalfAway(-2.5), -3);
  EXPECT_EQ(RoundHalfAway(2.4999), 2);
  EXPECT_EQ(RoundHalfAway(-0.4), 0);
  auto text = [](double v) {
    char buffer[400];
    TextBuffer b = MakeTextBuffer(buffer, sizeof buffer);
    EXPECT_TRUE(AppendSignedWhole(&b, v));
    return std::string(buffer);
  };
  EXPECT_EQ(text(RoundHalfAway(-0.4)), "+0");
  EXPECT_EQ(text(0), "+0");
  EXPECT_EQ(text(-123), "-123");
  EXPECT_EQ(text(4294967296.0), "+4294967296");
  EXPECT_EQ(text(1e20), "+100000000000000000000");
  char buffer[8];
  TextBuffer b = MakeTextBuffer(buffer, sizeof buffer);
  EXPECT_FALSE(AppendSignedWhole(&b, INFINITY));
}

// ---------------------------------------------------------------------------
// Exports and the dialog.

TEST_F(Transform, ExportsTheFamilyAndIsoDoesNothing) {
  for (const char* name : {"TransformStart", "TransformCont", "TransformStop",
                           "Kerf::TransformStart", "Kerf::TransformCont"})
    EXPECT_NE(lib.Symbol(name), nullptr) << name;
  auto iso_start = lib.Bind<TransformFn>("ISO::TransformStart");
  auto iso_cont = lib.Bind<TransformFn>("ISO::TransformCont");
  auto stop = lib.Bind<TransformFn>("TransformStop");
  ASSERT_TRUE(iso_start && iso_cont && stop);
  graphics.recorder().Clear();
  info.event = 1;
  info.key = kKeyEnter;
  EXPECT_EQ(iso_start(&info), 0u);
  EXPECT_EQ(iso_cont(&info), 0u);
  EXPECT_EQ(stop(&info), 0u);
  EXPECT_TRUE(graphics.recorder().calls().empty());
  EXPECT_EQ(info.event, 1);
}

TEST_F(Transform, FirstStartMaySetOnlyTheDefaults) {
  info.defaults_only = 1;
  graphics.recorder().Clear();
  EXPECT_EQ(start(&info), 0u);
  EXPECT_TRUE(graphics.recorder().calls().empty());
  // The next start opens the dialog with the defaults.
  Open(0);
  Shown s = Dialog();
  EXPECT_EQ(s.text[0], "1");
  EXPECT_EQ(s.text[1], "0");
  EXPECT_EQ(s.text[2], "0");
  EXPECT_EQ(s.text[3], "1");
  EXPECT_EQ(s.text[8], "0");
  EXPECT_EQ(s.text[9], "No");
  EXPECT_EQ(s.text[11], "OK");
  EXPECT_EQ(s.text[12], "Cancel");
  EXPECT_EQ(s.selected_row, 0);
}

TEST_F(Transform, StartDrawsTitleAndTheLabelsOfEachKind) {
  const std::vector<std::vector<std::string>> labels = {
      {"Number of Segments", "Angle", "Angle of even", "Number of Segments - X", "X Shift",
       "Y Shift", "Pair shift in X-axis", "Shift of even in Y-axis", "Shift even line in X-axis",
       "Shorter even line"},
      {"Number of Segments - X", "Number of Segments - Y", "X Shift", "Y Shift", "Angle",
       "Angle of even"},
      {"Number of Segments - X", "Number of Segments - Y", "X Shift", "Y Shift", "Angle"}};
  for (uint8_t kind = 0; kind < 3; ++kind) {
    graphics.recorder().Clear();
    Open(kind);
    std::vector<std::string> written;
    int label_row = -1;
    bool title = false;
    for (const host::GdiCall& c : graphics.recorder().calls()) {
      if (c.slot == kGdiTextBox) {
        title = c.y == info.top + 5 && c.fg == CLR_BLACK && c.bg == CLR_P2;
        label_row = c.x == info.left + 10 && c.bg == CLR_FILL ? (c.y - info.top - 40) / 20 : -1;
      } else if (c.slot == kGdiWriteText) {
        if (title) {
          EXPECT_EQ(c.text, "Contour Transformation");
        }
        if (label_row >= 0) {
          EXPECT_EQ(static_cast<size_t>(label_row), written.size());
          written.push_back(c.text);
        }
      }
    }
    EXPECT_EQ(written, labels[kind]) << "kind " << int(kind);
    // OK two rows below the last field, Cancel below it.
    Shown s = Dialog();
    EXPECT_EQ(s.text[static_cast<int>(labels[kind].size()) + 1], "OK");
    EXPECT_EQ(s.text[static_cast<int>(labels[kind].size()) + 2], "Cancel");
  }
}

TEST_F(Transform, DigitsPointDeleteAndSign) {
  Open(0);
  Next();  // Angle, "0"
  Type("12");
  EXPECT_EQ(Value(1), "12");  // "0" replaced, then extended
  Type(".5.");
  EXPECT_EQ(Value(1), "12.5");  // one point per field
  Type("-");
  EXPECT_EQ(Value(1), "-12.5");
  Type("-");
  EXPECT_EQ(Value(1), "12.5");
  Type("<<<<");
  EXPECT_EQ(Value(1), "0");  // emptied
  Type("-7");
  EXPECT_EQ(Value(1), "-7");  // the minus kept, the "0" replaced
  Type("123456789");
  EXPECT_EQ(Value(1), "-712345678");  // ten characters at most
  // Leaving and coming back: the first digit replaces the text.
  Press(kKeyPrevious);
  Next();
  Type("4");
  EXPECT_EQ(Value(1), "4");
  // Counts take neither point nor sign.
  Press(kKeyPrevious);
  Type("3.-");
  EXPECT_EQ(Value(0), "3");
  // Kind 0 edits the second angle as it shows it, "0", although kind 1
  // keeps it empty.
  Next(2);
  Type(".5");
  EXPECT_EQ(Value(2), "0.5");
}

TEST_F(Transform, ValuesPersistBetweenDialogsAndAreSharedByTheKinds) {
  Open(0);
  Type("2");   // N: two copies open the array fields
  Next();
  Type("30");  // Angle
  Next();
  Type("45");  // Angle of even
  Next();
  Type("4");   // NX
  Open(2);
  Shown s = Dialog();
  EXPECT_EQ(s.text[0], "4");   // the same NX
  EXPECT_EQ(s.text[4], "30");  // kind 2's angle is kind 0's
  Next(2);
  Type("15");  // kind 2's X Shift
  Next();
  Type("25");  // kind 2's Y Shift
  Open(1);
  s = Dialog();
  EXPECT_EQ(s.text[2], "15");
  EXPECT_EQ(s.text[3], "25");
  EXPECT_EQ(s.text[5], "45");
  Open(0);
  s = Dialog();
  EXPECT_EQ(s.text[4], "15");  // X Shift
  EXPECT_EQ(s.text[7], "25");  // Shift of even in Y-axis
  EXPECT_EQ(s.text[5], "0");   // kind 0's own Y Shift untouched
}

TEST_F(Transform, Kind0SkipsTheArrayFieldsForOneCopy) {
  Open(0);
  Next();
  EXPECT_EQ(Selected(), 1);  // Angle
  Next();
  EXPECT_EQ(Selected(), 11);  // OK: N is 1
  Next();
  EXPECT_EQ(Selected(), 12);
  Next();
  EXPECT_EQ(Selected(), 0);
  Press(kKeyPrevious);
  EXPECT_EQ(Selected(), 12);  // up from field 1: Cancel
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  EXPECT_EQ(Selected(), 1);
  Press(kKeyPrevious);
  Type("0");
  Next();
  Next();
  EXPECT_EQ(Selected(), 11);  // "0" is one copy too
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  Type("6");
  Next(2);
  EXPECT_EQ(Selected(), 2);  // six copies: Angle of even
  // Enter acts as next on a field.
  Press(kKeyEnter);
  EXPECT_EQ(Selected(), 3);
}

TEST_F(Transform, Kind0SkipsPairFieldsForIdenticalShapesAndShorterWithoutShift) {
  Open(0, true);  // both sources the same file
  Type("4");
  Next(4);  // Angle, Angle of even, NX, X Shift
  EXPECT_EQ(Selected(), 4);
  Next();
  EXPECT_EQ(Selected(), 5);  // Y Shift
  Next();
  EXPECT_EQ(Selected(), 8);  // pair shift and even Y shift passed over
  Next();
  EXPECT_EQ(Selected(), 11);  // zero row shift: no "Shorter even line"
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  EXPECT_EQ(Selected(), 5);
  Next();
  Type("2");  // row shift
  Next();
  EXPECT_EQ(Selected(), 9);
  EXPECT_EQ(Value(9), "No");
  Press(kKeyToggleA);
  EXPECT_EQ(Value(9), "Yes");
  Press(kKeyToggleB);
  EXPECT_EQ(Value(9), "No");
  // Other angles make the shapes differ again.
  Open(0, true);
  Next(2);
  Type("90");
  Next(3);
  EXPECT_EQ(Selected(), 5);
  Next();
  EXPECT_EQ(Selected(), 6);
}

TEST_F(Transform, Kind1PassesOverTheCountsForAPair) {
  Open(1);
  std::vector<int> rows;
  for (int i = 0; i < 8; ++i) {
    rows.push_back(Selected());
    Next();
  }
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3, 4, 5, 7, 8}));
  EXPECT_EQ(Selected(), 0);  // Cancel -> NX with no second angle
  Press(kKeyPrevious);
  EXPECT_EQ(Selected(), 8);
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  EXPECT_EQ(Selected(), 5);
  EXPECT_EQ(Value(5), "");  // kind 1: no second angle by default
  Type("90");
  Next(2);
  EXPECT_EQ(Selected(), 8);
  Next();
  EXPECT_EQ(Selected(), 2);  // Cancel -> X Shift with a second angle
  Press(kKeyPrevious);
  EXPECT_EQ(Selected(), 8);
  // Deleting the second angle brings the matrix back.
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  Type("<<");
  EXPECT_EQ(Value(5), "");
  Next(3);
  EXPECT_EQ(Selected(), 0);
}

TEST_F(Transform, Kind2PassesOverTheShiftsForOneCopy) {
  Open(2);
  Next();
  EXPECT_EQ(Selected(), 1);
  Next();
  EXPECT_EQ(Selected(), 4);  // NX and NY "1": Angle
  Press(kKeyPrevious);
  EXPECT_EQ(Selected(), 1);
  Type("3");
  Next();
  EXPECT_EQ(Selected(), 2);
  Next(3);
  EXPECT_EQ(Selected(), 6);  // OK
  Next();
  EXPECT_EQ(Selected(), 7);
  Next();
  EXPECT_EQ(Selected(), 0);
  Press(kKeyPrevious);
  EXPECT_EQ(Selected(), 7);
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  EXPECT_EQ(Selected(), 3);
}

TEST_F(Transform, CancelEndsWithoutWriting) {
  Open(0);
  Press(kKeyPrevious);
  EXPECT_EQ(Press(kKeyEnter), 2u);
  EXPECT_FALSE(box.Exists(kOut));
  EXPECT_FALSE(box.Exists(kOddTemp));
}

TEST_F(Transform, KeysWithoutAnEventAreNotRead) {
  Open(0);
  info.event = 0;
  info.key = '7';
  graphics.recorder().Clear();
  EXPECT_EQ(cont(&info), 1u);
  EXPECT_EQ(Value(0), "1");
}

// ---------------------------------------------------------------------------
// Generation.

TEST_F(Transform, OneCopyIsTheOddShapeAloneThenTheClosingCodeAndStar) {
  ASSERT_EQ(RunKind0({{1, "1"}, {2, "90"}}), 2u);
  std::vector<std::string> out = Lines(Output());
  // Rotated by 90 degrees: (x, y) -> (-y, x); the "5"/"6" codes unchanged.
  std::vector<std::string> expected = {"5",      "-150+100",      "6",      "+0+0+0+50+", "5",
                                       "+150-100", "6",           "+0+400", "-300+0-150+0+",
                                       "+0-400", "+300+0",        "63",     "*"};
  EXPECT_EQ(out, expected);
  EXPECT_FALSE(box.Exists(kOddTemp));
  EXPECT_FALSE(box.Exists(kEvenTemp));
}

TEST_F(Transform, ZeroDegreesReproducesTheMovesAndMovesTheClosingCodeToTheEnd) {
  ASSERT_EQ(RunKind0({{1, "1"}}), 2u);
  std::vector<std::string> source = Lines(kPart), out = Lines(Output());
  std::vector<std::string> kept;
  for (const std::string& l : source)
    if (l != "[START]" && l != "*" && l != "63") kept.push_back(l);
  kept.push_back("63");
  kept.push_back("*");
  EXPECT_EQ(out, kept);
}

TEST_F(Transform, AnArcWithAnInconsistentCentreIsWrittenCorrected) {
  // Centre 40 from the start but 60 from the end: the mean radius 50 over a
  // chord of 100 puts it at the chord's middle.
  box.Write(kOdd, "6\r\n+0+100+0+40+\r\n+70+0\r\n+0+0+30+1-\r\n");
  ASSERT_EQ(RunKind0({{1, "1"}}), 2u);
  std::vector<std::string> out = Lines(Output());
  ASSERT_EQ(out.size(), 5u);
  EXPECT_EQ(out[1], "+0+100+0+50+");
  EXPECT_EQ(out[2], "+70+0");
  EXPECT_EQ(out[3], "+0+0+30+1-");  // a full circle has no chord to correct against
  // Rotated, the centre is made consistent with the rounded end.
  ASSERT_EQ(RunKind0({{1, "1"}, {2, "30"}}), 2u);
  out = Lines(Output());
  Move arc = ParseMove(out[1]);
  ASSERT_EQ(arc.signs, 5);
  EXPECT_TRUE(arc.ccw);
  EXPECT_EQ(arc.v[0], -50);
  EXPECT_EQ(arc.v[1], 87);
  double r1 = hypot(arc.v[2], arc.v[3]), r2 = hypot(arc.v[0] - arc.v[2], arc.v[1] - arc.v[3]);
  EXPECT_NEAR(r1, r2, 1.0);
  EXPECT_NEAR(arc.v[2], -25, 1);
  EXPECT_NEAR(arc.v[3], 43, 1);
}

TEST_F(Transform, RoundingErrorsDoNotAddUpAlongTheContour) {
  std::string many = "6\r\n";
  for (int i = 0; i < 200; ++i) many += "+7+3\r\n";
  box.Write(kOdd, many);
  ASSERT_EQ(RunKind0({{1, "1"}, {2, "37.5"}}), 2u);
  double x = 0, y = 0, exact_x = 0, exact_y = 0;
  double a = 37.5 * 3.14159265 / 180;
  int i = 0;
  for (const std::string& l : Lines(Output())) {
    Move m = ParseMove(l);
    if (m.signs != 2) continue;
    x += m.v[0];
    y += m.v[1];
    ++i;
    exact_x = i * (7 * cos(a) - 3 * sin(a));
    exact_y = i * (7 * sin(a) + 3 * cos(a));
    ASSERT_LE(fabs(x - exact_x), 0.5) << i;
    ASSERT_LE(fabs(y - exact_y), 0.5) << i;
  }
  EXPECT_EQ(i, 200);
}

TEST_F(Transform, SkippedSectionsAreCarriedOverAndMalformedLinesOutsideFail) {
  box.Write(kOdd, "101\r\nPART 7\r\n102\r\n6\r\n+10+0\r\n");
  ASSERT_EQ(RunKind0({{1, "1"}}), 2u);
  EXPECT_EQ(Lines(Output()), (std::vector<std::string>{"101", "PART 7", "102", "6", "+10+0", "*"}));
  box.Write(kOdd, "6\r\n+10 +0\r\n");
  graphics.recorder().Clear();
  EXPECT_EQ(RunKind0({{1, "1"}}), 5u);
  EXPECT_EQ(TitleTexts().back(), "Error: line does'nt include just signs and numbers");
}

// The closing sum: walks the output copy by copy and checks each copy's
// centre against the array's rules.
class ClosingSum : public Transform {
 protected:
  struct Shape {
    std::vector<std::string> lines;
    double end_x, end_y, centre_x, centre_y;
  };

  // The rotated shape as a one-copy run writes it.
  Shape Rotated(const char* path, const std::string& angle) {
    sources[0] = path;
    EXPECT_EQ(RunKind0({{1, "1"}, {2, angle}}), 2u);
    sources[0] = kOdd;
    Shape s;
    s.lines = Lines(Output());
    while (!s.lines.empty() && (s.lines.back() == "*" || s.lines.back() == "63" ||
                                s.lines.back() == "99"))
      s.lines.pop_back();
    Box b;
    Trace(s.lines, &s.end_x, &s.end_y, &b);
    s.centre_x = (b.min_x + b.max_x) / 2;
    s.centre_y = (b.min_y + b.max_y) / 2;
    return s;
  }

  // Expected centres relative to the first copy's: row by row as the rules
  // describe them.
  std::vector<std::pair<double, double>> Expected(uint32_t n, int64_t nx, double xo, double yo,
                                                  double xp, double y, double g, bool shorter) {
    std::vector<std::pair<double, double>> c = {{0, 0}};
    uint32_t row = 0;
    int64_t position = 1;
    double row_y = 0;
    for (uint32_t k = 1; k < n; ++k) {
      bool prev_odd = (k - 1) % 2 == 0;
      int64_t length = nx - (shorter && row % 2 == 1 ? 1 : 0);
      auto [px, py] = c.back();
      if (position < length) {
        c.push_back(prev_odd ? std::make_pair(px + xo, py + yo) : std::make_pair(px + xp - xo, py - yo));
        ++position;
      } else {
        ++row;
        position = 1;
        row_y += y;
        bool next_odd = k % 2 == 0;
        c.push_back({row % 2 == 1 ? g : 0, row_y + (next_odd ? 0 : yo)});
      }
    }
    return c;
  }

  // Checks the output copy by copy against the shapes and the expected
  // centres, then the closing code and the final "*".
  void Walk(const Shape& odd, const Shape& even,
            const std::vector<std::pair<double, double>>& expected) {
    std::vector<std::string> out = Lines(Output());
    size_t at = 0;
    double x = 0, y = 0;
    for (size_t k = 0; k < expected.size(); ++k) {
      const Shape& s = k % 2 == 0 ? odd : even;
      ASSERT_LE(at + s.lines.size(), out.size()) << "copy " << k;
      std::vector<std::string> copy(out.begin() + static_cast<long>(at),
                                    out.begin() + static_cast<long>(at + s.lines.size()));
      ASSERT_EQ(copy, s.lines) << "copy " << k;
      double cx = x + s.centre_x - odd.centre_x, cy = y + s.centre_y - odd.centre_y;
      // Within one unit: the truncation of the last rapid move, nothing more.
      EXPECT_LT(fabs(cx - expected[k].first), 1.001) << "copy " << k << " x " << cx;
      EXPECT_LT(fabs(cy - expected[k].second), 1.001) << "copy " << k << " y " << cy;
      x += s.end_x;
      y += s.end_y;
      at += s.lines.size();
      if (k + 1 == expected.size()) break;
      ASSERT_LE(at + 3, out.size());
      EXPECT_EQ(out[at], "5");
      EXPECT_EQ(out[at + 2], "6");
      Move m = ParseMove(out[at + 1]);
      ASSERT_EQ(m.signs, 2) << out[at + 1];
      x += m.v[0];
      y += m.v[1];
      at += 3;
    }
    ASSERT_EQ(out.size(), at + 2);
    EXPECT_EQ(out[at + 1], "*");
  }
};

TEST_F(ClosingSum, ShorterEvenRowsWithAShift) {
  Shape odd = Rotated(kOdd, "0"), even = Rotated(kEven, "180");
  ASSERT_EQ(RunKind0({{1, "8"}, {2, "0"}, {3, "180"}, {4, "3"}, {5, "60"}, {6, "40"},
                      {7, "100"}, {8, "5"}, {9, "30"}}, true), 2u);
  auto expected = Expected(8, 3, 600, 50, 1000, 400, 300, true);
  // Rows of 3, 2 and 3; the second begins with an even copy, shifted by g.
  EXPECT_EQ(expected[3], std::make_pair(300.0, 450.0));
  EXPECT_EQ(expected[5], std::make_pair(0.0, 850.0));
  Walk(odd, even, expected);
  EXPECT_EQ(Lines(Output()).rbegin()[1], "99");  // the even shape's code came last
}

TEST_F(ClosingSum, OddAnglesAndFractionalShiftsStayOnTheirPlacesOverManyCopies) {
  Shape odd = Rotated(kOdd, "33.3"), even = Rotated(kEven, "201.7");
  ASSERT_EQ(RunKind0({{1, "61"}, {2, "33.3"}, {3, "201.7"}, {4, "7"}, {5, "52.37"},
                      {6, "61.11"}, {7, "98.05"}, {8, "-3.33"}, {9, "17.77"}}, true), 2u);
  Walk(odd, even, Expected(61, 7, 523.7, -33.3, 980.5, 611.1, 177.7, true));
}

TEST_F(ClosingSum, IdenticalShapesLieXShiftApart) {
  Shape odd = Rotated(kOdd, "45");
  ASSERT_EQ(RunKind0({{1, "5"}, {2, "45"}, {3, "45"}, {4, "2"}, {5, "70"}, {6, "65"}}, false,
                     true), 2u);
  Walk(odd, odd, Expected(5, 2, 700, 0, 1400, 650, 0, false));
}

TEST_F(ClosingSum, Kind2MatrixAndKind1Pair) {
  sources[1] = kOdd;
  Shape odd = Rotated(kOdd, "30");
  Open(2, true);
  Type("3");
  Next();
  Type("2");
  Next();
  Type("70");
  Next();
  Type("60");
  Next();
  Type("30");
  ASSERT_EQ(Confirm(), 2u);
  Walk(odd, odd, Expected(6, 3, 700, 0, 1400, 600, 0, false));

  Shape even = Rotated(kEven, "90");
  Open(1);
  Next(2);
  Type("70");  // X Shift
  Next();
  Type("12");  // Y Shift: the even copy's offset
  Next();
  Type("30");
  Next();
  Type("90");
  ASSERT_EQ(Confirm(), 2u);
  Walk(odd, even, Expected(2, 2, 700, 120, 0, 0, 0, false));
}

TEST_F(Transform, ProgressRisesToAHundred) {
  Open(0);
  Type("9");
  Next(2);
  Type("180");
  Next();
  Type("3");
  Next();
  Type("60");
  ASSERT_EQ(Confirm(), 2u);
  std::vector<int> shown;
  for (const std::string& t : TitleTexts()) {
    if (t.find('%') == std::string::npos) continue;
    EXPECT_EQ(t.substr(t.find('%')), "%  ");
    shown.push_back(std::stoi(t));
  }
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.front(), 0);
  EXPECT_EQ(shown.back(), 100);
  for (size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i], shown[i - 1]);
}

// ---------------------------------------------------------------------------
// Failures.

class TransformFaults : public Transform {
 protected:
  // A pair of eight copies; returns the clean output for comparison.
  uint32_t RunPairs() {
    return RunKind0({{1, "8"}, {2, "10"}, {3, "190"}, {4, "3"}, {5, "60"}, {6, "40"}});
  }
  void ExpectFailedWith(const std::string& text) {
    std::vector<std::string> title = TitleTexts();
    ASSERT_FALSE(title.empty());
    EXPECT_EQ(title.back(), text);
    EXPECT_EQ(box.files().open_handles(), 0);
  }
};

TEST_F(TransformFaults, AFailedWriteOfTheOutputLeavesNoOutputAndTheNextRunIsClean) {
  ASSERT_EQ(RunPairs(), 2u);
  std::string clean = Output();
  // Writes: each temporary file in blocks, then the output. Fail one of the
  // output's writes, well after its first copy.
  box.files().FailCall(kFspWrite, 6, host::kHostIoError);
  EXPECT_EQ(Press(kKeyEnter), 5u);
  ExpectFailedWith("File writing error");
  EXPECT_FALSE(box.Exists(kOut));
  EXPECT_TRUE(box.Exists(kOddTemp));  // kept after a failure
  EXPECT_TRUE(box.Exists(kEvenTemp));
  box.files().ClearFaults();
  EXPECT_EQ(Press(kKeyEnter), 2u);
  EXPECT_EQ(Output(), clean);
  EXPECT_FALSE(box.Exists(kOddTemp));
}

TEST_F(TransformFaults, EveryWriteThatFailsIsReported) {
  ASSERT_EQ(RunPairs(), 2u);
  std::string clean = Output();
  int writes = box.files().calls(kFspWrite);
  for (int nth = 1; nth < writes; ++nth) {
    std::filesystem::remove(box.files().Resolve(kOut));
    int before = box.files().calls(kFspWrite);
    if (nth % 2 == 0) box.files().FailDispatch(kFspWrite, nth);
    else box.files().FailCall(kFspWrite, nth, host::kHostIoError);
    EXPECT_EQ(Press(kKeyEnter), 5u) << nth;
    ExpectFailedWith("File writing error");
    EXPECT_FALSE(box.Exists(kOut)) << nth;
    EXPECT_LT(box.files().calls(kFspWrite) - before, writes);
    box.files().ClearFaults();
  }
}

TEST_F(TransformFaults, AFailedCloseOfTheOutputIsAFailedWrite) {
  ASSERT_EQ(RunPairs(), 2u);
  // Closes: source, temp, source, temp, temp, temp (measuring), the eight
  // copies' temporary files, then the output.
  box.files().FailCall(kFspClose, 6 + 8 + 1, host::kHostIoError);
  EXPECT_EQ(Press(kKeyEnter), 5u);
  EXPECT_EQ(TitleTexts().back(), "File writing error");
  EXPECT_FALSE(box.Exists(kOut));
  refused_closes = 1;
}

TEST_F(TransformFaults, FailedReadsOfTheSourceAndOfTheTemporaryFiles) {
  ASSERT_EQ(RunPairs(), 2u);
  // Every file here is read with the same number of reads: two sources, two
  // measured temporary files, then eight copies.
  int reads = box.files().calls(kFspRead);
  ASSERT_EQ(reads % 12, 0);
  int r = reads / 12;
  struct Case {
    int nth;
    int8_t status;
    const char* text;
  } cases[] = {
      {1, -2, "File HANDLE error"},         // the odd source
      {r + 1, -1, "File operation error"},  // the even source
      {r + 1, -8, "File reading error"},
      {2 * r + 1, -1, "File reading error"},  // measuring a temporary file
      {4 * r + 1, -1, "File reading error"},  // copying one
      {reads, -3, "File reading error"},      // the last copy
  };
  for (const Case& c : cases) {
    std::filesystem::remove(box.files().Resolve(kOut));
    box.files().FailCall(kFspRead, c.nth, c.status);
    EXPECT_EQ(Press(kKeyEnter), 5u) << c.nth;
    ExpectFailedWith(c.text);
    EXPECT_FALSE(box.Exists(kOut)) << c.nth;
    box.files().ClearFaults();
  }
  // Dispatch itself failing on a read of a temporary file.
  box.files().FailDispatch(kFspRead, 2 * r + 1);
  EXPECT_EQ(Press(kKeyEnter), 5u);
  ExpectFailedWith("File reading error");
}

TEST_F(TransformFaults, MissingSourceAndUnwritableTemporaryFolder) {
  sources[0] = "c:\\p\\none.knf";
  Open(0);
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  EXPECT_EQ(Press(kKeyEnter), 5u);
  ExpectFailedWith("File path error");
  // A path longer than any the host can hold is a path error too.
  std::string long_path = "c:\\" + std::string(300, 'a') + ".knf";
  sources[0] = long_path.c_str();
  Open(0);
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  EXPECT_EQ(Press(kKeyEnter), 5u);
  ExpectFailedWith("File path error");
  sources[0] = kOdd;
  std::filesystem::remove_all(box.root() + "/c/cmos");
  Open(0);
  Press(kKeyPrevious);
  Press(kKeyPrevious);
  EXPECT_EQ(Press(kKeyEnter), 5u);
  ExpectFailedWith("File path error");
  EXPECT_FALSE(box.Exists(kOut));
}

// Every file-service call of a generation, one at a time, fails or fails to
// dispatch: the generation ends with 5 and an error text and leaves no
// output, or (where the call did not matter) writes exactly the clean output.
TEST_F(TransformFaults, EveryFileServiceCallFailingOnceIsReportedOrHarmless) {
  ASSERT_EQ(RunPairs(), 2u);
  const std::string clean = Output();
  const int slots[] = {kFspOpen, kFspRead, kFspWrite, kFspClose, kFspDelete, kFspSeek};
  int calls[14];
  for (int slot : slots) calls[slot] = box.files().calls(slot);
  ASSERT_EQ(Press(kKeyEnter), 2u);
  for (int slot : slots) calls[slot] = box.files().calls(slot) - calls[slot];
  EXPECT_GT(calls[kFspRead], 10);
  EXPECT_GT(calls[kFspWrite], 10);
  EXPECT_GE(calls[kFspDelete], 2);
  for (int slot : slots) {
    for (int nth = 1; nth <= calls[slot]; ++nth) {
      for (bool dispatch : {false, true}) {
        SCOPED_TRACE("slot " + std::to_string(slot) + " call " + std::to_string(nth) +
                     (dispatch ? " (dispatch)" : ""));
        std::filesystem::remove(box.files().Resolve(kOut));
        int handles = box.files().open_handles();
        if (dispatch) box.files().FailDispatch(slot, nth);
        else box.files().FailCall(slot, nth, host::kHostIoError);
        uint32_t result = Press(kKeyEnter);
        box.files().ClearFaults();
        if (result == 2u) {
          EXPECT_EQ(Output(), clean);
        } else {
          EXPECT_EQ(result, 5u);
          EXPECT_FALSE(box.Exists(kOut));
          ASSERT_FALSE(TitleTexts().empty());
          std::string text = TitleTexts().back();
          EXPECT_TRUE(text == "File writing error" || text == "File reading error" ||
                      text == "File operation error" || text == "File path error" ||
                      text == "File HANDLE error")
              << text;
        }
        // Only a close the host refused may leave its handle open.
        int left = box.files().open_handles() - handles;
        EXPECT_EQ(left, slot == kFspClose ? left : 0);
        EXPECT_LE(left, 1);
        refused_closes += left;
      }
    }
  }
}

}  // namespace
