// Expressions of the parametric language.
//
// Grammar, by precedence:
//   sum     = term { ("+" | "-") term }          left to right
//   term    = unary { ("*" | "/") unary }
//   unary   = { "+" | "-" } primary
//   primary = number | "E" index | "(" sum ")" | function "(" sum ")"
// Numbers are digits with at most one point; a number directly followed by
// a point or a letter is malformed. E indices are whole numbers 0..999.
// Functions take degrees (SIN, SOS or COS, TAN) or give degrees (ARS, ARC,
// ART), converted with the control's constants rather than exact pi; SQR,
// ABS, INT (toward zero) and NEG complete them. Blanks between tokens are
// skipped. Every result must be finite: 1/0, SQR(-1) or ARS(2) is a fault
// at the operator or function that produced it, so E-parameters only ever
// hold finite values.
#pragma once

#include <stdint.h>

constexpr uint32_t kParameterCount = 1000;
constexpr double kDegreesToRadians = 0.0174532925;
constexpr double kRadiansToDegrees = 57.29577957855229;

struct ExpressionResult {
  bool ok;
  double value;
  uint32_t fault_index;  // when not ok: offset into the text of the fault
};

// Evaluates text[0..length) as one whole sum against the E-parameters.
ExpressionResult EvaluateExpression(const char* text, uint32_t length, const double* parameters);

// Reads "E" and a whole index 0..999 spanning the whole of text[0..length)
// (blanks around it allowed); false for anything else.
bool ParseParameterName(const char* text, uint32_t length, uint32_t* index);
