// The translation's course: start, time slices, stop, and the reading and
// classifying of lines (labels, comments, commands, ISO blocks,
// assignments). Commands live in commands.cpp, blocks in block.cpp.
#include <string.h>

#include "bridge/fsp.h"
#include "norvik/preprocessor.h"

namespace {

bool IsBlockChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'r' ||
         c == '.';
}

uint32_t Now(const Preprocessor* p) {
  return ViewMilliseconds(p->ticks, p->tick_frequency, p->counts_down);
}

// A bounded copy of a host path; false when it does not fit.
bool CopyPath(char* out, const char* path) {
  if (path == nullptr) return false;
  size_t n = strnlen(path, kPathChars + 1);
  if (n > kPathChars) return false;
  memcpy(out, path, n + 1);
  return true;
}

// Counts a line against the runaway guard.
bool CountLine(Preprocessor* p, uint32_t length) {
  p->chars_read += length;
  if (p->chars_read > kRunawayChars) return Fail(p, kErrRunaway);
  return true;
}

// The label of a line that starts with a double quote: the text up to the
// next one. Returns its length; *rest is true when more follows the label.
uint32_t LabelOf(const char* line, uint32_t length, bool* rest) {
  uint32_t end = 1;
  while (end < length && line[end] != '"') ++end;
  *rest = end + 1 < length;
  return end - 1;
}

bool IsRepeatEnd(const char* line, uint32_t length) {
  return length >= 5 && strncmp(line, "(ERP", 4) == 0 && (line[4] == ')' || line[4] == ',');
}

// The end of the current source file: its closing echo, then the file is
// closed and leaves the stack.
void EndOfFile(Preprocessor* p) {
  if (!EndOfFileEcho(p)) return;
  LineFile* f = &p->stack[p->depth - 1];
  if (!LineFileClose(f)) {
    Fail(p, kErrRead);
    return;
  }
  --p->depth;
}

void TranslateNext(Preprocessor* p) {
  LineFile* f = &p->stack[p->depth - 1];
  LineRead r = LineFileRead(f, p->line, &p->line_length);
  if (r == LineRead::kFailed) {
    Fail(p, kErrRead);
    return;
  }
  if (r == LineRead::kEnd) {
    EndOfFile(p);
    return;
  }
  if (!CountLine(p, p->line_length)) return;
  p->out.line_from_current = false;
  p->pending_header[0] = '\0';
  TranslateLine(p);
  if (Failed(p)) return;
  if (!EchoLine(p, p->line, p->line_length)) return;
  if (p->pending_header[0] != '\0') WriteSubProgramHeader(p, p->pending_header);
}

// Reads a line of the current file that is passed over (searched or
// skipped) and counts it; a failed read is error 5.
LineRead ReadPassedLine(Preprocessor* p, char* line, uint32_t* length) {
  LineRead r = LineFileRead(&p->stack[p->depth - 1], line, length);
  if (r == LineRead::kFailed) Fail(p, kErrRead);
  if (r == LineRead::kLine && !CountLine(p, *length)) return LineRead::kFailed;
  return r;
}

// One line of a jump's search for its label.
void SearchNext(Preprocessor* p) {
  LineFile* f = &p->stack[p->depth - 1];
  char line[kMaxLine + 1];
  uint32_t length = 0;
  LineRead r = ReadPassedLine(p, line, &length);
  if (r == LineRead::kFailed) return;
  if (r == LineRead::kEnd) {
    Fail(p, kErrLabelMissing, p->search.jump_line);
    return;
  }
  RepeatState& rep = f->repeat;
  if (IsRepeatEnd(line, length) && rep.active && f->line_number > rep.return_line)
    p->search.passed_repeat_end = true;
  if (line[0] != '"') return;
  bool rest = false;
  uint32_t n = LabelOf(line, length, &rest);
  if (n != strlen(p->search.label) || strncmp(line + 1, p->search.label, n) != 0) return;
  // A jump out of a repeat (before its RPT, or past its ERP) ends it; a
  // jump within its body keeps it.
  if (rep.active && (f->line_number <= rep.return_line || p->search.passed_repeat_end))
    rep.active = false;
  p->phase = Phase::kTranslating;
}

// One line of a repeat body that runs no pass: passed over up to its ERP.
void SkipNext(Preprocessor* p) {
  char line[kMaxLine + 1];
  uint32_t length = 0;
  LineRead r = ReadPassedLine(p, line, &length);
  if (r == LineRead::kFailed) return;
  if (r == LineRead::kEnd) {
    p->phase = Phase::kTranslating;
    EndOfFile(p);
    return;
  }
  if (IsRepeatEnd(line, length)) p->phase = Phase::kTranslating;
}

// One step of the running translation.
void Step(Preprocessor* p) {
  switch (p->phase) {
    case Phase::kTranslating:
      if (p->depth == 0) {
        FinishWorkFile(p);
      } else {
        TranslateNext(p);
      }
      break;
    case Phase::kSearching: SearchNext(p); break;
    case Phase::kSkipping: SkipNext(p); break;
    case Phase::kCopying: CopyStep(p); break;
    default: break;
  }
}

bool Assignment(Preprocessor* p, const char* line, uint32_t length, uint32_t column) {
  const char* eq = static_cast<const char*>(memchr(line, '=', length));
  uint32_t left = static_cast<uint32_t>(eq - line);
  uint32_t right = left + 1;
  uint32_t index = 0;
  if (ParseParameterName(line, left, &index)) {
    double value = 0;
    if (!Evaluate(p, line + right, length - right, column + right, &value)) return false;
    p->parameters[index] = value;
    return true;
  }
  // SYVARCH="text" appends the text's characters to the character table.
  if (left == 7 && strncmp(line, "SYVARCH", 7) == 0) {
    if (right >= length || line[right] != '"') return Fail(p, kErrExpression, column + right + 1);
    uint32_t i = right + 1;
    for (; i < length && line[i] != '"'; ++i) {
      if (p->char_count >= kCharTable) return Fail(p, kErrExpression, column + i + 1);
      p->char_table[p->char_count++] = line[i];
    }
    if (i + 1 != length) return Fail(p, kErrExpression, column + (i < length ? i + 2 : i + 1));
    return true;
  }
  return Fail(p, kErrExpression, column + 1);
}

}  // namespace

bool Fail(Preprocessor* p, PreprocError error, uint32_t detail) {
  if (p->error == kErrNone) {
    p->error = error;
    p->error_detail = detail;
    p->phase = Phase::kHalted;
  }
  return false;
}

bool Evaluate(Preprocessor* p, const char* text, uint32_t length, uint32_t column,
              double* value) {
  ExpressionResult r = EvaluateExpression(text, length, p->parameters);
  if (!r.ok) return Fail(p, kErrExpression, column + r.fault_index + 1);
  *value = r.value;
  return true;
}

void TranslateLine(Preprocessor* p) {
  const char* line = p->line;
  uint32_t length = p->line_length;
  uint32_t column = 0;
  if (length > 0 && line[0] == '*') return;
  if (length > 0 && line[0] == '/') {
    if (p->skip_slash) return;
    ++line;
    --length;
    column = 1;
  }
  if (length > 0 && line[0] == '"') {
    bool rest = false;
    LabelOf(line, length, &rest);
    if (rest) Fail(p, kErrLabelLine);
    return;
  }
  if (length > 0 && line[0] == ';') return;
  if (length > 0 && line[0] == '(') {
    if (length >= 5 && (line[4] == ',' || line[4] == ')')) {
      RunCommand(p, line, length, column);
    } else {
      Fail(p, kErrLine);
    }
    return;
  }
  bool block = true;
  for (uint32_t i = 0; i < length && block; ++i) block = IsBlockChar(line[i]);
  if (block) {
    TranslateBlock(p, line, length, column);
  } else if (memchr(line, '=', length) != nullptr) {
    Assignment(p, line, length, column);
  } else {
    Fail(p, kErrLine);
  }
}

void PreprocessorStart(Preprocessor* p, PREPROC_INFO* info, bool first_since_load) {
  if (first_since_load) {
    memset(p->parameters, 0, sizeof p->parameters);
  } else {
    PreprocessorStop(p);
  }
  // Everything but the E-parameters starts afresh.
  memset(reinterpret_cast<uint8_t*>(p) + sizeof p->parameters, 0,
         sizeof *p - sizeof p->parameters);
  p->info = info;
  p->left = info->left;
  p->top = info->top;
  p->right = info->right;
  p->bottom = info->bottom;
  p->ticks = info->ticks;
  p->tick_frequency = info->tick_frequency;
  p->counts_down = info->counts_down != 0;
  p->skip_slash = info->skip_slash != 0;
  p->d_number[0] = '0';
  p->out.next_block = 1;
  p->out.next_message = 1;
  p->phase = Phase::kTranslating;
  DrawFrame(p);

  char source[kPathChars + 1];
  if (!CopyPath(source, info->source_path)) {
    Fail(p, kErrOpen);
  } else {
    // The program's folder: the path up to and including its last "\".
    const char* slash = strrchr(source, '\\');
    size_t n = slash == nullptr ? 0 : static_cast<size_t>(slash - source) + 1;
    memcpy(p->directory, source, n);
    p->directory[n] = '\0';
    if (LineFileOpen(&p->stack[0], source) != kStatusOk) {
      Fail(p, kErrOpen);
    } else {
      p->depth = 1;
    }
  }
  uint32_t size = 0;
  if (!Failed(p)) {
    if (FspOpen(kWorkFilePath, kFspOpenCreate, &p->out.work_handle, &size) != kStatusOk) {
      p->create_target = CreateTarget::kTemp;
      Fail(p, kErrCreate);
    } else {
      p->out.work_open = p->out.work_created = true;
    }
  }
  if (!Failed(p)) {
    if (!CopyPath(p->destination, info->destination_path) ||
        FspOpen(p->destination, kFspOpenCreate, &p->out.dest_handle, &size) != kStatusOk) {
      p->create_target = CreateTarget::kDestination;
      Fail(p, kErrCreate);
    } else {
      p->out.dest_open = p->out.dest_created = true;
    }
  }
  if (!Failed(p)) {
    const char kHeader[] = "{\r\nMSG(THIS)\r\n}\r\n$MSGBEGIN 01\r\n";
    if (FspWrite(p->out.dest_handle, kHeader, sizeof kHeader - 1) != kStatusOk) Fail(p, kErrWrite);
  }
  if (!Failed(p) && WorkWriteText(p, "%1\r\n")) {
    EmitBlock(p, "G26 R5=51000000");
    EmitBlock(p, "G23");
  }
  if (Failed(p)) DrawError(p);
}

uint32_t PreprocessorCont(Preprocessor* p, PREPROC_INFO* info) {
  switch (p->phase) {
    case Phase::kIdle:
    case Phase::kComplete:
    case Phase::kStopped: return 2;
    case Phase::kHalted: return 1;
    default: break;
  }
  p->info = info;
  DrawStatus(p);
  if (p->phase == Phase::kInput) {
    if (info->key_waiting == 1) HandleInputKey(p);
    return 1;
  }
  uint32_t started = Now(p);
  bool first = true;
  while (p->phase != Phase::kInput && p->phase != Phase::kHalted &&
         p->phase != Phase::kComplete) {
    if (!first && ElapsedMs(Now(p), started) > kSliceMs) return 1;
    first = false;
    Step(p);
  }
  if (p->phase == Phase::kHalted) {
    DrawError(p);
    return 1;
  }
  if (p->phase == Phase::kComplete) {
    DrawStatus(p);
    return 2;
  }
  return 1;
}

void PreprocessorStop(Preprocessor* p) {
  if (p->phase == Phase::kIdle) return;
  CloseEverything(p);
  p->phase = Phase::kStopped;
}
