// Operator input (INP): the prompt and the number typed so far are shown at
// the field's place; each waiting key edits the number, key 255 stores it.
#include <string.h>

#include "bridge/text_buffer.h"
#include "norvik/number_text.h"
#include "norvik/preprocessor.h"

namespace {

constexpr char kEnterKey = static_cast<char>(255);
constexpr char kPointKey = 43;
constexpr char kDeleteKey = 46;
constexpr char kSignKey = 63;

// The prompt and the number; the cursor "_" while the input goes on.
void Show(Preprocessor* p) {
  char text[kParamChars + kInputChars + 4];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, p->input.prompt);
  TextAppend(&b, p->input.text);
  if (p->phase == Phase::kInput) TextAppendChar(&b, '_');
  // Room for the longest input, so a shorter one blanks what was there.
  DrawText(p, p->input.x, p->input.y, text,
           static_cast<uint32_t>(strlen(p->input.prompt)) + kInputChars + 1);
}

// The typed number: optional "-", digits, at most one point; "" and "-"
// are 0.
double InputValue(const char* text) {
  bool negative = *text == '-';
  if (negative) ++text;
  double digits = 0, divisor = 1;
  bool point = false;
  for (; *text != '\0'; ++text) {
    if (*text == '.') {
      point = true;
    } else {
      digits = digits * 10 + (*text - '0');
      if (point) divisor *= 10;
    }
  }
  double v = digits / divisor;
  return negative ? -v : v;
}

void AppendDigit(InputState* in, char digit) {
  size_t n = strlen(in->text);
  if (strcmp(in->text, "0") == 0) {
    in->text[0] = digit;
  } else if (strcmp(in->text, "-0") == 0) {
    in->text[1] = digit;
  } else if (n < kInputChars) {
    in->text[n] = digit;
    in->text[n + 1] = '\0';
  }
}

void ToggleSign(InputState* in) {
  size_t n = strlen(in->text);
  if (in->text[0] == '-') {
    memmove(in->text, in->text + 1, n);
  } else if (n < kInputChars) {
    memmove(in->text + 1, in->text, n + 1);
    in->text[0] = '-';
  }
}

}  // namespace

void BeginInput(Preprocessor* p, uint32_t parameter, const char* prompt, int32_t x, int32_t y) {
  InputState& in = p->input;
  in.parameter = parameter;
  in.x = x;
  in.y = y;
  strncpy(in.prompt, prompt, kParamChars);
  in.prompt[kParamChars] = '\0';
  char value[kNumberText];
  FormatNumber(p->parameters[parameter], value);
  // A value that does not fit the input shows as an empty one.
  if (strlen(value) > kInputChars || strcmp(value, "OVERFLOW") == 0) value[0] = '\0';
  strcpy(in.text, value);
  in.fresh = true;
  // A 255 still flagged from the previous input is not an answer to this
  // one: the input waits for a fresh key.
  if (p->info != nullptr && p->info->key_waiting == 1 && p->info->key == kEnterKey)
    p->info->key_waiting = 0;
  p->phase = Phase::kInput;
  Show(p);
}

void HandleInputKey(Preprocessor* p) {
  InputState& in = p->input;
  char key = p->info->key;
  bool fresh = in.fresh;
  in.fresh = false;
  if (key >= '0' && key <= '9') {
    if (fresh) in.text[0] = '\0';
    AppendDigit(&in, key);
  } else if (key == kSignKey) {
    if (fresh) strcpy(in.text, "0");
    ToggleSign(&in);
  } else if (key == kPointKey) {
    size_t n = strlen(in.text);
    if (strchr(in.text, '.') == nullptr && n < kInputChars) {
      in.text[n] = '.';
      in.text[n + 1] = '\0';
    }
  } else if (key == kDeleteKey) {
    size_t n = strlen(in.text);
    if (n > 0) in.text[n - 1] = '\0';
  } else if (key == kEnterKey) {
    p->parameters[in.parameter] = InputValue(in.text);
    p->phase = Phase::kTranslating;
  }
  // The flag stays set after 255, which a host may watch for.
  if (key != kEnterKey) p->info->key_waiting = 0;
  Show(p);
}
