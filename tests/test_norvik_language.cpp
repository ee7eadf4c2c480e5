// The preprocessor's expressions and number output, tested directly.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include "norvik/expression.h"
#include "norvik/number_text.h"

namespace {

struct ExpressionCase {
  const char* text;
  bool ok;
  double value;       // when ok
  uint32_t fault;     // when not ok: 0-based offset of the fault
  const char* why;
};

TEST(NorvikExpression, ValuesAndFaults) {
  double e[kParameterCount] = {};
  e[5] = 2.5;
  e[999] = -4;
  const ExpressionCase cases[] = {
      {"1+2*3", true, 7, 0, "products before sums"},
      {"10-4-3", true, 3, 0, "sums left to right"},
      {"8/4/2", true, 1, 0, "products left to right"},
      {"-(2+3)*2", true, -10, 0, "unary sign on a bracket"},
      {"--3", true, 3, 0, "repeated signs"},
      {"E5*2+E999", true, 1, 0, "E-parameters, the highest index included"},
      {" E5 + 1 ", true, 3.5, 0, "blanks between tokens"},
      {"SIN(30)", true, sin(30 * kDegreesToRadians), 0, "degrees through the control's constant"},
      {"SOS(60)", true, cos(60 * kDegreesToRadians), 0, "SOS is the cosine"},
      {"COS(60)", true, cos(60 * kDegreesToRadians), 0, "and so is COS"},
      {"TAN(45)", true, tan(45 * kDegreesToRadians), 0, "tangent"},
      {"ARS(0.5)", true, asin(0.5) * kRadiansToDegrees, 0, "arc sine back to degrees"},
      {"ARC(0.5)", true, acos(0.5) * kRadiansToDegrees, 0, "arc cosine"},
      {"ART(1)", true, atan(1.0) * kRadiansToDegrees, 0, "arc tangent"},
      {"SQR(16)+ABS(-2)+NEG(1)", true, 5, 0, "square root, absolute value, negation"},
      {"INT(-3.7)", true, -3, 0, "the integer part goes toward zero"},
      {"INT(3.7)", true, 3, 0, "also for positives"},
      {".5+1.", true, 1.5, 0, "a point at either end of a number"},
      {"1.2.3", false, 0, 3, "a second point"},
      {"2E5", false, 0, 1, "a number followed by a letter"},
      {"E1000", false, 0, 0, "an index above 999"},
      {"E5.5", false, 0, 2, "an index with a fraction"},
      {"FOO(1)", false, 0, 0, "an unknown name"},
      {"SYVARCH", false, 0, 0, "system variables are no values"},
      {"SIN 30", false, 0, 4, "a function needs its bracket"},
      {"(1+2", false, 0, 4, "an unclosed bracket"},
      {"1+", false, 0, 2, "a missing operand"},
      {"1 2", false, 0, 2, "two numbers in a row"},
      {"", false, 0, 0, "nothing at all"},
      {"1/0", false, 0, 1, "division by zero is not finite"},
      {"0/0", false, 0, 1, "nor is 0/0"},
      {"SQR(-1)", false, 0, 0, "the root of a negative"},
      {"ARS(2)", false, 0, 0, "an arc sine out of range"},
      {"9999999999*9999999999*9999999999*9999999999*9999999999*9999999999*9999999999*"
       "9999999999*9999999999*9999999999*9999999999*9999999999",
       true, 0, 0, "large but finite"},
  };
  for (const ExpressionCase& c : cases) {
    SCOPED_TRACE(std::string(c.text) + ": " + c.why);
    ExpressionResult r = EvaluateExpression(c.text, static_cast<uint32_t>(strlen(c.text)), e);
    EXPECT_EQ(r.ok, c.ok);
    if (c.ok) {
      EXPECT_TRUE(isfinite(r.value));
      if (c.value != 0) {
        EXPECT_DOUBLE_EQ(r.value, c.value);
      }
    } else {
      EXPECT_EQ(r.fault_index, c.fault);
    }
  }
  // Overflowing products are faults, never infinity.
  std::string huge = "1";
  for (int i = 0; i < 40; ++i) huge += "*9999999999";
  ExpressionResult r = EvaluateExpression(huge.c_str(), static_cast<uint32_t>(huge.size()), e);
  EXPECT_FALSE(r.ok);
}

TEST(NorvikNumbers, Written) {
  struct Case {
    double value;
    const char* number;
    const char* integer;
  } cases[] = {
      {12.5, "12.5", "12"},
      {3.0, "3", "3"},
      {-0.25, "-0.25", "0"},
      {0.1, "0.1", "0"},
      {1.00051, "1.001", "1"},         // 0.0005 rounds away from zero
      {-1.00051, "-1.001", "-1"},
      {1.2344, "1.234", "1"},
      {-0.0004, "0", "0"},              // rounds to zero: never "-0"
      {-0.7, "-0.7", "0"},              // an integer word truncates toward zero
      {9876543210.5, "9876543210.5", "OVERFLOW"},  // beyond 32 bits
      {-2147483648.0, "-2147483648", "-2147483648"},
      {2147483647.9, "2147483647.9", "2147483647"},
      {1e11, "100000000000", "OVERFLOW"},
      {1.5e11, "OVERFLOW", "OVERFLOW"},
      {-1.5e11, "OVERFLOW", "OVERFLOW"},
      {NAN, "OVERFLOW", "OVERFLOW"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    char text[kNumberText];
    FormatNumber(c.value, text);
    EXPECT_STREQ(text, c.number);
    FormatInteger(c.value, text);
    EXPECT_STREQ(text, c.integer);
  }
}

}  // namespace
