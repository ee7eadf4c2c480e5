// ISO blocks: each word is evaluated and written anew; offsets, mirroring,
// incremental mode, G79 and the tool change are applied on the way.
#include <string.h>

#include "bridge/text_buffer.h"
#include "norvik/number_text.h"
#include "norvik/preprocessor.h"

namespace {

constexpr uint32_t kBlockText = 1024;

// Words start at every capital letter except E (which belongs to the
// expression of the word before) and at "r".
bool StartsWord(char c) { return (c >= 'A' && c <= 'Z' && c != 'E') || c == 'r'; }

int AxisOf(char letter) { return letter == 'X' ? 0 : letter == 'Y' ? 1 : letter == 'Z' ? 2 : -1; }

int32_t RenumberM(int32_t m) {
  switch (m) {
    case 52: return 62;
    case 53: return 63;
    case 54: return 64;
    case 11: return 21;
    case 12: return 22;
    case 13: return 23;
    case 14: return 24;
    default: return m;
  }
}

void AppendInteger(TextBuffer* b, double value) {
  char text[kNumberText];
  FormatInteger(value, text);
  TextAppend(b, text);
}

void AppendNumber(TextBuffer* b, double value) {
  char text[kNumberText];
  FormatNumber(value, text);
  TextAppend(b, text);
}

// The D number of a T word: the digits after its point ("0" without any).
void TakeDNumber(Preprocessor* p, const char* word, uint32_t length) {
  const char* point = static_cast<const char*>(memchr(word, '.', length));
  uint32_t n = 0;
  if (point != nullptr) {
    for (const char* c = point + 1; c < word + length && *c >= '0' && *c <= '9'; ++c)
      p->d_number[n++] = *c;
  }
  if (n == 0) p->d_number[n++] = '0';
  p->d_number[n] = '\0';
}

struct BlockFlags {
  bool g79;        // a G79 word (written as G59)
  bool g59;        // the block holds G59
  bool z;          // the block holds a Z word
  bool tool;       // the block holds a T word
};

// Appends one word (letter and expression text) to the block being built.
bool TranslateWord(Preprocessor* p, char letter, const char* text, uint32_t length,
                   uint32_t column, TextBuffer* b, BlockFlags* flags) {
  if (letter == 'r') {
    if (length == 1 && text[0] == '0') return true;  // "r0" is dropped
    return Fail(p, kErrLine);
  }
  bool known = strchr("SFGMHTXYZBRIJK", letter) != nullptr;
  if (!known) return Fail(p, kErrLine);
  double value = 0;
  if (length == 0) {
    value = 0;  // a lone letter stands for letter and 0
  } else if (!Evaluate(p, text, length, column, &value)) {
    return false;
  }
  int32_t whole = 0;
  bool fits = TruncateToInt32(value, &whole);
  switch (letter) {
    case 'S':
      TextAppendChar(b, 'S');
      AppendInteger(b, value / 10);
      break;
    case 'G':
      if (fits && whole == 91) p->incremental = true;
      if (fits && whole == 90) p->incremental = false;
      if (fits && (whole == 27 || whole == 29 || whole == 4 || whole == 9)) return true;
      if (fits && whole == 79) {
        flags->g79 = flags->g59 = true;
        TextAppend(b, "G59");
        break;
      }
      if (fits && whole == 59) flags->g59 = true;
      TextAppendChar(b, 'G');
      AppendInteger(b, value);
      break;
    case 'M':
      TextAppendChar(b, 'M');
      if (fits) {
        TextAppendSigned(b, RenumberM(whole));
      } else {
        AppendInteger(b, value);
      }
      break;
    case 'F':
    case 'H':
      TextAppendChar(b, letter);
      AppendInteger(b, value);
      break;
    case 'T':
      TextAppendChar(b, 'T');
      AppendInteger(b, value);
      TakeDNumber(p, text, length);
      TextAppend(b, " D");
      TextAppend(b, p->d_number);
      TextAppend(b, " M91 G24");
      p->tool_counter = 1;
      flags->tool = true;
      break;
    case 'X':
    case 'Y':
    case 'Z': {
      int axis = AxisOf(letter);
      if (axis == 2) flags->z = true;
      if (!p->incremental && !flags->g79)
        value = p->mirror[axis] ? value - p->offset[axis] : value + p->offset[axis];
      TextAppendChar(b, letter);
      AppendNumber(b, value);
      break;
    }
    default:  // B, R, I, J, K
      if (letter == 'R' && value < 0) return Fail(p, kErrNegativeRadius);
      TextAppendChar(b, letter);
      AppendNumber(b, value);
      break;
  }
  TextAppendChar(b, ' ');
  return true;
}

// The G35 block that follows a G79 block while mirroring is on.
bool EmitMirrorBlock(Preprocessor* p) {
  if (!p->mirror[0] && !p->mirror[1] && !p->mirror[2]) return true;
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, "G35");
  if (p->mirror[0]) TextAppend(&b, " X0");
  if (p->mirror[1]) TextAppend(&b, " Y0");
  if (p->mirror[2]) TextAppend(&b, " Z0");
  return EmitBlock(p, text);
}

}  // namespace

void TranslateBlock(Preprocessor* p, const char* block, uint32_t length, uint32_t column) {
  if (length == 0) return;
  if (!StartsWord(block[0])) {
    Fail(p, kErrLine);
    return;
  }
  char text[kBlockText];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  uint8_t counter_before = p->tool_counter;
  BlockFlags flags{};
  uint32_t i = 0;
  while (i < length) {
    char letter = block[i];
    uint32_t start = ++i;
    while (i < length && !StartsWord(block[i])) ++i;
    if (!TranslateWord(p, letter, block + start, i - start, column + start, &b, &flags)) return;
  }
  if (flags.g79 && !EmitBlock(p, "G35 D0")) return;
  if (b.length > 0) {
    if (p->tool_counter == 3) {
      // The third block after a tool change begins with G23.
      char prefixed[kBlockText + 4];
      TextBuffer pb = MakeTextBuffer(prefixed, sizeof prefixed);
      TextAppend(&pb, "G23 ");
      TextAppend(&pb, text);
      p->tool_counter = 0;
      if (!EmitBlock(p, prefixed)) return;
    } else if (!EmitBlock(p, text)) {
      return;
    }
  }
  if (flags.g79) {
    if (!EmitMirrorBlock(p)) return;
    char d_block[kMaxLine + 2];
    TextBuffer db = MakeTextBuffer(d_block, sizeof d_block);
    TextAppendChar(&db, 'D');
    TextAppend(&db, p->d_number);
    if (!EmitBlock(p, d_block)) return;
  }
  // While a tool change is under way, each Z block without G59 counts.
  if (!flags.tool && (counter_before == 1 || counter_before == 2) && flags.z && !flags.g59)
    ++p->tool_counter;
}
