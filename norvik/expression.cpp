#include "norvik/expression.h"

#include <math.h>
#include <string.h>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

using Function = double (*)(double);

double Sine(double a) { return sin(a * kDegreesToRadians); }
double Cosine(double a) { return cos(a * kDegreesToRadians); }
double Tangent(double a) { return tan(a * kDegreesToRadians); }
double ArcSine(double v) { return asin(v) * kRadiansToDegrees; }
double ArcCosine(double v) { return acos(v) * kRadiansToDegrees; }
double ArcTangent(double v) { return atan(v) * kRadiansToDegrees; }
double SquareRoot(double v) { return sqrt(v); }
double Absolute(double v) { return fabs(v); }
double IntegerPart(double v) { return trunc(v); }
double Negate(double v) { return -v; }

struct FunctionName {
  const char* name;
  Function fn;
};
// "SOS" is how older programs spell the cosine; both spellings work.
const FunctionName kFunctions[] = {
    {"SIN", Sine},      {"SOS", Cosine},       {"COS", Cosine},     {"TAN", Tangent},
    {"ARS", ArcSine},   {"ARC", ArcCosine},    {"ART", ArcTangent}, {"SQR", SquareRoot},
    {"ABS", Absolute},  {"INT", IntegerPart},  {"NEG", Negate},
};

// Bounds the recursion of brackets and signs (a line holds 126 characters,
// so this is never reached by a real line).
constexpr int kMaxDepth = 200;

struct Parser {
  const char* text;
  uint32_t length;
  uint32_t pos;
  const double* parameters;
  bool failed;
  uint32_t fault;
  int depth;

  char Peek() {
    while (pos < length && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    return pos < length ? text[pos] : '\0';
  }
  double Fail(uint32_t at) {
    if (!failed) {
      failed = true;
      fault = at;
    }
    return 0;
  }
  // A non-finite result is a fault at the operator or name that made it.
  double Checked(double v, uint32_t at) { return isfinite(v) ? v : Fail(at); }

  double Sum();
  double Term();
  double Unary();
  double Primary();
  double Number();
  double Parameter();
};

double Parser::Sum() {
  double v = Term();
  while (!failed) {
    char c = Peek();
    if (c != '+' && c != '-') break;
    uint32_t at = pos++;
    double r = Term();
    v = Checked(c == '+' ? v + r : v - r, at);
  }
  return v;
}

double Parser::Term() {
  double v = Unary();
  while (!failed) {
    char c = Peek();
    if (c != '*' && c != '/') break;
    uint32_t at = pos++;
    double r = Unary();
    if (failed) break;
    v = Checked(c == '*' ? v * r : v / r, at);
  }
  return v;
}

double Parser::Unary() {
  char c = Peek();
  if (c != '+' && c != '-') return Primary();
  if (++depth > kMaxDepth) return Fail(pos);
  ++pos;
  double v = Unary();
  --depth;
  return c == '-' ? -v : v;
}

double Parser::Number() {
  uint32_t start = pos;
  bool point = false;
  double digits = 0, divisor = 1;
  while (pos < length && (IsDigit(text[pos]) || text[pos] == '.')) {
    if (text[pos] == '.') {
      if (point) return Fail(pos);
      point = true;
    } else {
      digits = digits * 10 + (text[pos] - '0');
      if (point) divisor *= 10;
    }
    ++pos;
  }
  if (pos < length && IsLetter(text[pos])) return Fail(pos);
  if (pos - start == 1 && point) return Fail(start);  // a lone point
  return Checked(digits / divisor, start);
}

double Parser::Parameter() {
  uint32_t start = pos++;  // the E
  uint32_t index = 0;
  uint32_t digits = 0;
  while (pos < length && IsDigit(text[pos])) {
    if (index <= kParameterCount) index = index * 10 + static_cast<uint32_t>(text[pos] - '0');
    ++pos;
    ++digits;
  }
  if (digits == 0 || index >= kParameterCount) return Fail(start);
  if (pos < length && (text[pos] == '.' || IsLetter(text[pos]))) return Fail(pos);
  return parameters[index];
}

double Parser::Primary() {
  char c = Peek();
  uint32_t at = pos;
  if (c == '(') {
    if (++depth > kMaxDepth) return Fail(at);
    ++pos;
    double v = Sum();
    --depth;
    if (failed) return 0;
    if (Peek() != ')') return Fail(pos);
    ++pos;
    return v;
  }
  if (IsDigit(c) || c == '.') return Number();
  if (c == 'E' && pos + 1 < length && IsDigit(text[pos + 1])) return Parameter();
  if (IsLetter(c)) {
    uint32_t end = pos;
    while (end < length && IsLetter(text[end])) ++end;
    for (const FunctionName& f : kFunctions) {
      if (end - pos != 3 || strncmp(text + pos, f.name, 3) != 0) continue;
      pos = end;
      if (Peek() != '(') return Fail(pos);
      double argument = Primary();
      if (failed) return 0;
      return Checked(f.fn(argument), at);
    }
    return Fail(at);  // an unknown name, SYVAR among them
  }
  return Fail(at);
}

}  // namespace

ExpressionResult EvaluateExpression(const char* text, uint32_t length, const double* parameters) {
  Parser p{text, length, 0, parameters, false, 0, 0};
  double v = p.Sum();
  if (!p.failed) {
    p.Peek();
    if (p.pos < length) p.Fail(p.pos);  // something after the whole sum
  }
  if (p.failed) return {false, 0, p.fault};
  return {true, v, 0};
}

bool ParseParameterName(const char* text, uint32_t length, uint32_t* index) {
  while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t')) --length;
  while (length > 0 && (*text == ' ' || *text == '\t')) {
    ++text;
    --length;
  }
  if (length < 2 || length > 4 || text[0] != 'E') return false;
  uint32_t v = 0;
  for (uint32_t i = 1; i < length; ++i) {
    if (!IsDigit(text[i])) return false;
    v = v * 10 + static_cast<uint32_t>(text[i] - '0');
  }
  if (v >= kParameterCount) return false;
  *index = v;
  return true;
}
