// The three-letter commands: "(" name "," parameters ")" or "(" name ")".
#include <string.h>

#include "bridge/fsp.h"
#include "bridge/text_buffer.h"
#include "norvik/number_text.h"
#include "norvik/preprocessor.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Splits the text after the command's fifth character at commas outside
// double quotes, up to a ")" outside them; blanks around a parameter are
// dropped. Over kMaxParams parameters is error 9, one over kParamChars
// characters error 7 at its number.
bool SplitParams(Preprocessor* p, const char* line, uint32_t length, uint32_t column) {
  CommandParams& cp = p->params;
  cp.count = 0;
  if (line[4] == ')') return true;
  uint32_t i = 5;
  for (;;) {
    uint32_t start = i;
    bool quoted = false;
    while (i < length && (quoted || (line[i] != ',' && line[i] != ')'))) {
      if (line[i] == '"') quoted = !quoted;
      ++i;
    }
    uint32_t end = i;
    while (start < end && IsBlank(line[start])) ++start;
    while (end > start && IsBlank(line[end - 1])) --end;
    if (cp.count == kMaxParams) return Fail(p, kErrParamCount);
    if (end - start > kParamChars) return Fail(p, kErrParameter, cp.count + 1);
    memcpy(cp.text[cp.count], line + start, end - start);
    cp.text[cp.count][end - start] = '\0';
    cp.column[cp.count] = column + start;
    ++cp.count;
    if (i >= length || line[i] == ')') return true;
    ++i;  // the comma
  }
}

const char* Param(const Preprocessor* p, uint32_t i) { return p->params.text[i]; }
uint32_t ParamLength(const Preprocessor* p, uint32_t i) {
  return static_cast<uint32_t>(strlen(p->params.text[i]));
}

bool ParamValue(Preprocessor* p, uint32_t i, double* value) {
  return Evaluate(p, Param(p, i), ParamLength(p, i), p->params.column[i], value);
}

// A whole number in [low, high]; else (or beyond 32 bits) error 7.
bool ParamInt(Preprocessor* p, uint32_t i, int32_t low, int32_t high, int32_t* value) {
  double v = 0;
  if (!ParamValue(p, i, &v)) return false;
  if (!RoundToInt32(v, value) || *value < low || *value > high)
    return Fail(p, kErrParameter, i + 1);
  return true;
}

bool ParamParameter(Preprocessor* p, uint32_t i, uint32_t* index) {
  return ParseParameterName(Param(p, i), ParamLength(p, i), index);
}

// A quoted parameter's text without its quotes; false when it is not one.
bool ParamQuoted(const Preprocessor* p, uint32_t i, char* out) {
  const char* t = Param(p, i);
  uint32_t n = ParamLength(p, i);
  if (n < 2 || t[0] != '"' || t[n - 1] != '"') return false;
  memcpy(out, t + 1, n - 2);
  out[n - 2] = '\0';
  return true;
}

bool CountBetween(Preprocessor* p, uint32_t low, uint32_t high) {
  if (p->params.count < low || p->params.count > high) return Fail(p, kErrParamCount);
  return true;
}

// Folder of the program plus a name; error 1 when the path does not fit.
bool ProgramPath(Preprocessor* p, const char* name, uint32_t name_length, char* path) {
  size_t dir = strlen(p->directory);
  if (dir + name_length > kPathChars) return Fail(p, kErrOpen);
  memcpy(path, p->directory, dir);
  memcpy(path + dir, name, name_length);
  path[dir + name_length] = '\0';
  return true;
}

void CallSubProgram(Preprocessor* p) {
  if (!CountBetween(p, 1, 1)) return;
  const char* name = Param(p, 0);
  const char* cut = strchr(name, '/');
  uint32_t n = cut != nullptr ? static_cast<uint32_t>(cut - name) : ParamLength(p, 0);
  char path[kPathChars + 1];
  if (p->depth == kStackDepth) {
    Fail(p, kErrOpen);  // an eleventh nested file
    return;
  }
  if (!ProgramPath(p, name, n, path)) return;
  if (LineFileOpen(&p->stack[p->depth], path) != kStatusOk) {
    Fail(p, kErrOpen);
    return;
  }
  ++p->depth;
  memcpy(p->pending_header, name, n);
  p->pending_header[n] = '\0';
}

void OpenDataFile(Preprocessor* p) {
  int32_t slot = 0;
  if (!CountBetween(p, 2, 2) || !ParamInt(p, 0, 0, kDataFiles - 1, &slot)) return;
  LineFile* f = &p->data[slot];
  if (f->open) {
    Fail(p, kErrAlreadyOpen);
    return;
  }
  char path[kPathChars + 1];
  if (!ProgramPath(p, Param(p, 1), ParamLength(p, 1), path)) return;
  if (LineFileOpen(f, path) != kStatusOk) Fail(p, kErrOpen);
}

void CloseDataFile(Preprocessor* p) {
  int32_t slot = 0;
  if (!CountBetween(p, 1, 1) || !ParamInt(p, 0, 0, kDataFiles - 1, &slot)) return;
  LineFile* f = &p->data[slot];
  if (!f->open) {
    Fail(p, kErrNotOpen);
    return;
  }
  if (!LineFileClose(f)) Fail(p, kErrRead);
}

void DefineLayout(Preprocessor* p) {
  int32_t layout = 0;
  if (!CountBetween(p, 2, kLayoutEntries + 1) || !ParamInt(p, 0, 0, kLayouts - 1, &layout))
    return;
  uint16_t entries[kLayoutEntries];
  for (uint32_t i = 1; i < p->params.count; ++i) {
    uint32_t index = 0;
    if (!ParamParameter(p, i, &index)) {
      Fail(p, kErrParameter, i + 1);
      return;
    }
    entries[i - 1] = static_cast<uint16_t>(index);
  }
  memcpy(p->layout[layout], entries, sizeof entries);
  p->layout_count[layout] = static_cast<uint8_t>(p->params.count - 1);
}

// One number of a data line: sign, digits, at most one point.
bool DataNumber(const char* text, uint32_t length, double* value) {
  uint32_t i = 0;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  double digits = 0, divisor = 1;
  bool point = false;
  uint32_t count = 0;
  for (; i < length; ++i) {
    if (text[i] == '.') {
      if (point) return false;
      point = true;
    } else if (IsDigit(text[i])) {
      digits = digits * 10 + (text[i] - '0');
      if (point) divisor *= 10;
      ++count;
    } else {
      return false;
    }
  }
  if (count == 0) return false;
  *value = negative ? -(digits / divisor) : digits / divisor;
  return true;
}

void ReadDataLine(Preprocessor* p) {
  int32_t slot = 0, layout = 0;
  if (!CountBetween(p, 2, 2) || !ParamInt(p, 0, 0, kDataFiles - 1, &slot) ||
      !ParamInt(p, 1, 0, kLayouts - 1, &layout))
    return;
  LineFile* f = &p->data[slot];
  if (!f->open) {
    Fail(p, kErrNotOpen);
    return;
  }
  char raw[kMaxLine + 1];
  uint32_t length = 0;
  if (LineFileRead(f, raw, &length) != LineRead::kLine) {
    Fail(p, kErrRead);  // a failed read, or past the end of the file
    return;
  }
  // Blanks carry no meaning between the numbers.
  char line[kMaxLine + 1];
  uint32_t n = 0;
  for (uint32_t i = 0; i < length; ++i)
    if (!IsBlank(raw[i])) line[n++] = raw[i];
  uint32_t stored = 0;
  uint32_t start = 0;
  while (start < n) {
    uint32_t end = start + 1;
    while (end < n && line[end] != '+' && line[end] != '-') ++end;
    double value = 0;
    if (!DataNumber(line + start, end - start, &value)) {
      Fail(p, kErrTableNumber);
      return;
    }
    // Surplus numbers are ignored; missing ones leave their E-parameters.
    if (stored < p->layout_count[layout]) p->parameters[p->layout[layout][stored++]] = value;
    start = end;
  }
}

// Looks up an origin in the table FI1EOR and emits its G92 block.
bool SetOrigin(Preprocessor* p) {
  p->offset[0] = p->offset[1] = p->offset[2] = 0;
  const char* origin = Param(p, 0);
  uint32_t origin_length = ParamLength(p, 0);
  char path[kPathChars + 1];
  if (!ProgramPath(p, "FI1EOR", 6, path)) return false;
  if (LineFileOpen(&p->table, path) != kStatusOk) return Fail(p, kErrOpen);
  char line[kMaxLine + 1];
  uint32_t length = 0;
  bool found = false;
  for (;;) {
    LineRead r = LineFileRead(&p->table, line, &length);
    if (r == LineRead::kFailed) return Fail(p, kErrRead);
    if (r == LineRead::kEnd) break;
    // "+" and the origin as written, and no digit or point after it, so
    // that origin 1 does not match the line of origin 12.
    if (length > origin_length && line[0] == '+' &&
        strncmp(line + 1, origin, origin_length) == 0 &&
        (length == origin_length + 1 ||
         (!IsDigit(line[origin_length + 1]) && line[origin_length + 1] != '.'))) {
      found = true;
      break;
    }
  }
  if (!LineFileClose(&p->table)) return Fail(p, kErrRead);
  if (!found) return Fail(p, kErrOrigin);
  char text[kMaxLine * 2 + 16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, "G92 G54");
  uint32_t i = origin_length + 1;
  while (i < length) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    char letter = line[i++];
    if (!(letter >= 'A' && letter <= 'Z')) return Fail(p, kErrTableNumber);
    uint32_t start = i;
    while (i < length && (IsDigit(line[i]) || line[i] == '.' ||
                          ((line[i] == '+' || line[i] == '-') && i == start)))
      ++i;
    double value = 0;
    if (!DataNumber(line + start, i - start, &value)) return Fail(p, kErrTableNumber);
    int axis = letter == 'X' ? 0 : letter == 'Y' ? 1 : letter == 'Z' ? 2 : -1;
    if (axis >= 0 && p->mirror[axis]) value = -value;
    char number[kNumberText];
    FormatNumber(value, number);
    TextAppendChar(&b, ' ');
    TextAppendChar(&b, letter);
    TextAppend(&b, number);
  }
  return EmitBlock(p, text);
}

// Axis values such as "X10" or "YE5+2", added to the offsets.
void AddOffsets(Preprocessor* p, uint32_t first) {
  for (uint32_t i = first; i < p->params.count; ++i) {
    const char* t = Param(p, i);
    int axis = t[0] == 'X' ? 0 : t[0] == 'Y' ? 1 : t[0] == 'Z' ? 2 : -1;
    if (axis < 0) {
      Fail(p, kErrParameter, i + 1);
      return;
    }
    double value = 0;
    if (!Evaluate(p, t + 1, ParamLength(p, i) - 1, p->params.column[i] + 1, &value)) return;
    p->offset[axis] += value;
  }
}

void Mirror(Preprocessor* p) {
  if (!CountBetween(p, 0, 3)) return;
  char text[16];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, "G35");
  if (p->params.count == 0) {
    // Without axes: mirroring ends, as the closing G35 ends it.
    p->mirror[0] = p->mirror[1] = p->mirror[2] = false;
  }
  for (uint32_t i = 0; i < p->params.count; ++i) {
    const char* t = Param(p, i);
    int axis = strcmp(t, "X") == 0 ? 0 : strcmp(t, "Y") == 0 ? 1 : strcmp(t, "Z") == 0 ? 2 : -1;
    if (axis < 0) {
      Fail(p, kErrParameter, i + 1);
      return;
    }
    TextAppendChar(&b, ' ');
    TextAppendChar(&b, t[0]);
    TextAppendChar(&b, '0');
    p->mirror[axis] = true;
  }
  EmitBlock(p, text);
}

void Message(Preprocessor* p) {
  if (!CountBetween(p, 1, kMaxParams)) return;
  char text[kMessageChars + 1];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  for (uint32_t i = 0; i < p->params.count; ++i) {
    char quoted[kParamChars + 1];
    if (ParamQuoted(p, i, quoted)) {
      TextAppend(&b, quoted);
      continue;
    }
    double value = 0;
    if (!ParamValue(p, i, &value)) return;
    char number[kNumberText];
    FormatNumber(value, number);
    TextAppend(&b, number);
  }
  WriteMessage(p, text);
}

void Dwell(Preprocessor* p) {
  double value = 0;
  if (!CountBetween(p, 1, 1) || !ParamValue(p, 0, &value)) return;
  char text[32];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppend(&b, "G04 Q");
  int32_t hundredths = 0;
  if (RoundToInt32(value * 100, &hundredths)) {
    TextAppendSigned(&b, hundredths);
  } else {
    TextAppend(&b, "OVERFLOW");
  }
  EmitBlock(p, text);
}

void DefineField(Preprocessor* p) {
  int32_t field = 0, row = 0, column = 1;
  if (!CountBetween(p, 3, 4) || !ParamInt(p, 0, 0, kFields - 1, &field) ||
      !ParamInt(p, 1, 0, 1000, &row))
    return;
  uint32_t last = p->params.count - 1;
  if (last == 3 && !ParamInt(p, 2, 0, 1000, &column)) return;
  ScreenField& f = p->fields[field];
  char text[kParamChars + 1];
  uint32_t index = 0;
  const char* t = Param(p, last);
  if (t[0] == '"') {
    if (!ParamQuoted(p, last, text)) {
      Fail(p, kErrParameter, last + 1);  // an opening quote without its closing one
      return;
    }
  } else if (ParamParameter(p, last, &index)) {
    FormatNumber(p->parameters[index], text);
  } else {
    Fail(p, kErrParameter, last + 1);
    return;
  }
  f.defined = true;
  f.column = column;
  f.row = row;
  strcpy(f.text, text);
  f.width = static_cast<uint32_t>(strlen(text));
  DrawText(p, FieldX(p, column), FieldY(p, row), text, 0);
}

void ShowValue(Preprocessor* p) {
  int32_t field = 0;
  uint32_t index = 0;
  if (!CountBetween(p, 2, 2) || !ParamInt(p, 0, 0, kFields - 1, &field)) return;
  if (!ParamParameter(p, 1, &index)) {
    Fail(p, kErrParameter, 2);
    return;
  }
  ScreenField& f = p->fields[field];
  if (!f.defined) {
    Fail(p, kErrParameter, 1);
    return;
  }
  char shown[kParamChars + kNumberText + 1];
  TextBuffer b = MakeTextBuffer(shown, sizeof shown);
  TextAppend(&b, f.text);
  char number[kNumberText];
  FormatNumber(p->parameters[index], number);
  TextAppend(&b, number);
  DrawText(p, FieldX(p, f.column), FieldY(p, f.row), shown, f.width);
  f.width = b.length;
}

void Input(Preprocessor* p) {
  if (!CountBetween(p, 2, 2)) return;
  uint32_t index = 0;
  if (!ParamParameter(p, 1, &index)) {
    Fail(p, kErrInputTarget);
    return;
  }
  char prompt[kParamChars + 1];
  if (Param(p, 0)[0] == '"') {
    if (!ParamQuoted(p, 0, prompt)) {
      Fail(p, kErrParameter, 1);
      return;
    }
    // A prompt of its own stands where field row 0 would.
    BeginInput(p, index, prompt, FieldX(p, 1), FieldY(p, 0));
    return;
  }
  int32_t field = 0;
  if (!ParamInt(p, 0, 0, kFields - 1, &field)) return;
  const ScreenField& f = p->fields[field];
  if (!f.defined) {
    Fail(p, kErrParameter, 1);
    return;
  }
  BeginInput(p, index, f.text, FieldX(p, f.column), FieldY(p, f.row));
}

// BNC and the conditional jumps: the file is read again from its start
// until the label.
void Jump(Preprocessor* p, char condition0, char condition1) {
  bool unconditional = condition0 == 'N' && condition1 == 'C';
  if (!CountBetween(p, unconditional ? 1 : 3, unconditional ? 1 : 3)) return;
  uint32_t label_param = unconditional ? 0 : 2;
  if (!unconditional) {
    double a = 0, b = 0;
    if (!ParamValue(p, 0, &a) || !ParamValue(p, 1, &b)) return;
    bool take = false;
    if (condition0 == 'G' && condition1 == 'T') take = a > b;
    if (condition0 == 'L' && condition1 == 'T') take = a < b;
    if (condition0 == 'E' && condition1 == 'Q') take = a == b;
    if (condition0 == 'N' && condition1 == 'E') take = a != b;
    if (condition0 == 'G' && condition1 == 'E') take = a >= b;
    if (condition0 == 'L' && condition1 == 'E') take = a <= b;
    if (!take) return;
  }
  char label[kParamChars + 1];
  if (!ParamQuoted(p, label_param, label)) strcpy(label, Param(p, label_param));
  LineFile* f = &p->stack[p->depth - 1];
  strcpy(p->search.label, label);
  p->search.jump_line = f->line_number;
  p->search.passed_repeat_end = false;
  if (!LineFileSeek(f, 0)) {
    Fail(p, kErrRead);
    return;
  }
  f->line_number = 0;
  p->phase = Phase::kSearching;
}

void Repeat(Preprocessor* p) {
  int32_t count = 0;
  double value = 0;
  if (!CountBetween(p, 1, 1) || !ParamValue(p, 0, &value)) return;
  if (!RoundToInt32(value, &count)) {
    Fail(p, kErrParameter, 1);
    return;
  }
  LineFile* f = &p->stack[p->depth - 1];
  if (f->repeat.active) {
    Fail(p, kErrRepeatActive);
    return;
  }
  if (count <= 0) {
    // The body runs no pass: its lines up to ERP are passed over.
    p->phase = Phase::kSkipping;
    return;
  }
  f->repeat.active = true;
  f->repeat.counter = count - 1;
  f->repeat.return_offset = LineFileOffset(f);
  f->repeat.return_line = f->line_number;
}

void RepeatEnd(Preprocessor* p) {
  if (!CountBetween(p, 0, 0)) return;
  LineFile* f = &p->stack[p->depth - 1];
  RepeatState& r = f->repeat;
  if (!r.active) return;
  if (r.counter <= 0) {
    r.active = false;
    return;
  }
  --r.counter;
  if (!LineFileSeek(f, r.return_offset)) {
    Fail(p, kErrRead);
    return;
  }
  f->line_number = r.return_line;
}

bool Is(const char* name, const char* command) { return strncmp(name, command, 3) == 0; }

}  // namespace

void RunCommand(Preprocessor* p, const char* line, uint32_t length, uint32_t column) {
  if (!SplitParams(p, line, length, column)) return;
  const char* name = line + 1;
  if (Is(name, "CLS")) CallSubProgram(p);
  else if (Is(name, "OPN")) OpenDataFile(p);
  else if (Is(name, "DER")) DefineLayout(p);
  else if (Is(name, "CLO")) CloseDataFile(p);
  else if (Is(name, "RED")) ReadDataLine(p);
  else if (Is(name, "UCG") || Is(name, "DCG")) return;
  else if (Is(name, "INP")) Input(p);
  else if (Is(name, "OUT")) ShowValue(p);
  else if (Is(name, "SCR")) DrawFrame(p);
  else if (Is(name, "DLY")) Dwell(p);
  else if (Is(name, "DEF")) DefineField(p);
  else if (Is(name, "DIS")) Message(p);
  else if (Is(name, "MIR")) Mirror(p);
  else if (Is(name, "UAO")) {
    if (CountBetween(p, 1, 1)) SetOrigin(p);
  } else if (Is(name, "UOT")) {
    if (CountBetween(p, 2, kMaxParams) && SetOrigin(p)) AddOffsets(p, 1);
  } else if (Is(name, "UIO")) {
    if (CountBetween(p, 1, kMaxParams)) AddOffsets(p, 0);
  } else if (Is(name, "ERP")) RepeatEnd(p);
  else if (Is(name, "RPT")) Repeat(p);
  else if (name[0] == 'B' && (Is(name, "BNC") || Is(name, "BGT") || Is(name, "BLT") ||
                              Is(name, "BEQ") || Is(name, "BNE") || Is(name, "BGE") ||
                              Is(name, "BLE")))
    Jump(p, name[1], name[2]);
  else Fail(p, kErrCommand);  // WRT among them: not supported
}
