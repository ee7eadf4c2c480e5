// The translation context of the preprocessor and the operations on it.
// The library keeps one context in static storage (one translation at a
// time, as the host expects); tests and the fuzz target build their own.
#pragma once

#include <stdint.h>

#include "norvik/expression.h"
#include "norvik/line_reader.h"
#include "norvik/preproc_info.h"

constexpr uint32_t kStackDepth = 10;       // main program and nested sub-programs
constexpr uint32_t kDataFiles = 20;        // user data file slots 0..19
constexpr uint32_t kLayouts = 20;          // record layouts 0..19
constexpr uint32_t kLayoutEntries = 16;    // E-parameters per layout
constexpr uint32_t kFields = 40;           // screen fields 0..39
constexpr uint32_t kCharTable = 200;       // character table (SYVARCH=)
constexpr uint32_t kMaxParams = 20;        // command parameters per line
constexpr uint32_t kParamChars = 50;       // characters per parameter
constexpr uint32_t kMessageChars = 58;     // kept of a message (two lines of 29)
constexpr uint32_t kMessageLine = 29;
constexpr uint32_t kMaxMessages = 99;
constexpr uint32_t kPathChars = 127;       // a path with its folder
constexpr uint32_t kRunawayChars = 256000; // characters read before error 20
constexpr uint32_t kInputChars = 18;       // operator input
constexpr uint32_t kSliceMs = 1;
constexpr const char* kWorkFilePath = "C:\\CMOS\\TempFile.TMP";

// Error numbers; each is also the number of its text.
enum PreprocError : uint8_t {
  kErrNone = 0, kErrOpen = 1, kErrExpression = 2, kErrCreate = 3, kErrLine = 4, kErrRead = 5,
  kErrCommand = 6, kErrParameter = 7, kErrInputTarget = 8, kErrParamCount = 9,
  kErrRepeatActive = 10, kErrLabelLine = 11, kErrLabelMissing = 12, kErrOrigin = 13,
  kErrWrite = 14, kErrAlreadyOpen = 15, kErrNotOpen = 16, kErrTableNumber = 17,
  kErrMessages = 18, kErrNegativeRadius = 19, kErrRunaway = 20,
};
// Texts of the status line.
constexpr uint32_t kTextFile = 100, kTextLine = 101, kTextAtChar = 102;

enum class Phase : uint8_t {
  kIdle,         // no translation since load
  kTranslating,  // reading and translating lines
  kSearching,    // looking for a jump's label
  kSkipping,     // passing over a repeat body whose count is 0 or less
  kInput,        // waiting for the operator's keys
  kCopying,      // copying the work file behind the messages
  kHalted,       // an error is shown
  kComplete,     // the destination is closed and whole
  kStopped,      // PreprocessStop ended the translation
};

// Which file an error 3 names.
enum class CreateTarget : uint8_t { kNone, kTemp, kDestination };

struct ScreenField {
  bool defined;
  int32_t column, row;
  uint32_t width;                 // characters last shown
  char text[kParamChars + 1];
};

struct CommandParams {
  uint32_t count;
  char text[kMaxParams][kParamChars + 1];
  uint32_t column[kMaxParams];    // 0-based column of the first character in the line
};

struct OutputState {
  bool work_open, work_created;
  uint32_t work_handle;
  bool dest_open, dest_created;
  uint32_t dest_handle;
  bool copy_open;                 // the work file, reopened for the final copy
  uint32_t copy_handle;
  uint8_t buffer[kReadBlock];     // work-file writes, and the final copy
  uint32_t fill;
  bool line_open;                 // a numbered block's line awaits its end
  bool line_from_current;         // ... and the current source line made it
  uint32_t next_block;
  uint32_t next_message;
};

struct InputState {
  uint32_t parameter;
  int32_t x, y;                   // pixels
  char prompt[kParamChars + 1];
  char text[kInputChars + 1];
  bool fresh;                     // still the parameter's old value
};

struct SearchState {
  char label[kMaxLine + 1];
  uint32_t jump_line;
  bool passed_repeat_end;
};

struct Preprocessor {
  double parameters[kParameterCount];  // kept from one translation to the next
  Phase phase;
  PREPROC_INFO* info;             // the host's record of the last call
  int32_t left, top, right, bottom;
  const volatile uint32_t* ticks;
  uint32_t tick_frequency;
  bool counts_down;
  bool skip_slash;
  char directory[kPathChars + 1];
  char destination[kPathChars + 1];
  LineFile stack[kStackDepth];
  uint32_t depth;
  LineFile data[kDataFiles];
  LineFile table;                 // the origin table while it is searched
  uint16_t layout[kLayouts][kLayoutEntries];
  uint8_t layout_count[kLayouts];
  ScreenField fields[kFields];
  char char_table[kCharTable];
  uint32_t char_count;
  double offset[3];               // X, Y, Z
  bool mirror[3];
  bool incremental;
  char d_number[kMaxLine + 1];
  uint8_t tool_counter;
  uint32_t chars_read;
  CommandParams params;
  char last_message[kMessageChars + 1];
  char line[kMaxLine + 1];        // the line being translated
  uint32_t line_length;
  char pending_header[kMaxLine + 1];  // a sub-program's name, written after the call's echo
  OutputState out;
  SearchState search;
  InputState input;
  PreprocError error;
  uint32_t error_detail;
  CreateTarget create_target;
};

// The three operations; `first_since_load` zeroes the E-parameters.
void PreprocessorStart(Preprocessor* p, PREPROC_INFO* info, bool first_since_load);
uint32_t PreprocessorCont(Preprocessor* p, PREPROC_INFO* info);
void PreprocessorStop(Preprocessor* p);

// --- inner steps, shared by the modules of the library ---

// Records an error (the first one wins) and halts; returns false so that
// callers can write `return Fail(...)`.
bool Fail(Preprocessor* p, PreprocError error, uint32_t detail = 0);
inline bool Failed(const Preprocessor* p) { return p->error != kErrNone; }

// Classifies and translates the line in p->line.
void TranslateLine(Preprocessor* p);
// One ISO block (the line from `column` on).
void TranslateBlock(Preprocessor* p, const char* block, uint32_t length, uint32_t column);
// One command line (starting with "(").
void RunCommand(Preprocessor* p, const char* line, uint32_t length, uint32_t column);
// Evaluates an expression at `column` of the source line; a fault is
// error 2 at its 1-based column.
bool Evaluate(Preprocessor* p, const char* text, uint32_t length, uint32_t column, double* value);

// Output (output.cpp).
bool WorkWrite(Preprocessor* p, const char* text, uint32_t length);
bool WorkWriteText(Preprocessor* p, const char* text);
bool EmitBlock(Preprocessor* p, const char* text);
bool EchoLine(Preprocessor* p, const char* line, uint32_t length);
bool EndOfFileEcho(Preprocessor* p);
bool WriteSubProgramHeader(Preprocessor* p, const char* name);
bool WriteMessage(Preprocessor* p, const char* text);
bool FinishWorkFile(Preprocessor* p);  // G35, M30, the end, $MSGEND; begins the copy
void CopyStep(Preprocessor* p);        // one block of the final copy
void CloseEverything(Preprocessor* p); // files of the translation, and the work file deleted

// Operator input (operator_input.cpp).
void BeginInput(Preprocessor* p, uint32_t parameter, const char* prompt, int32_t x, int32_t y);
void HandleInputKey(Preprocessor* p);

// Screen (screen.cpp).
void DrawFrame(Preprocessor* p);
void DrawStatus(Preprocessor* p);
void DrawError(Preprocessor* p);
void DrawText(Preprocessor* p, int32_t x, int32_t y, const char* text, uint32_t pad_to);
int32_t FieldX(const Preprocessor* p, int32_t column);
int32_t FieldY(const Preprocessor* p, int32_t row);
