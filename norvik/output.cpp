// The preprocessor's output: numbered blocks and echoes into the work file,
// messages into the destination, and the final copy of the work file behind
// the messages.
#include <string.h>

#include "bridge/fsp.h"
#include "bridge/text_buffer.h"
#include "norvik/preprocessor.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

bool Flush(Preprocessor* p) {
  OutputState& o = p->out;
  if (o.fill == 0) return true;
  uint32_t n = o.fill;
  o.fill = 0;
  if (FspWrite(o.work_handle, o.buffer, static_cast<uint16_t>(n)) != kStatusOk)
    return Fail(p, kErrWrite);
  return true;
}

bool DestWrite(Preprocessor* p, const char* text, uint32_t length) {
  if (FspWrite(p->out.dest_handle, text, static_cast<uint16_t>(length)) != kStatusOk)
    return Fail(p, kErrWrite);
  return true;
}

bool DestWriteLine(Preprocessor* p, const char* text, uint32_t length) {
  return DestWrite(p, text, length) && DestWrite(p, kLineEnd, 2);
}

// Ends the line of the last numbered block, if one is still open.
bool EndOpenLine(Preprocessor* p) {
  if (!p->out.line_open) return true;
  p->out.line_open = false;
  return WorkWrite(p, kLineEnd, 2);
}

// Closes a file, trying a second time when the host refuses the first.
bool CloseTwice(uint32_t handle) {
  return FspClose(handle) == kStatusOk || FspClose(handle) == kStatusOk;
}

}  // namespace

bool WorkWrite(Preprocessor* p, const char* text, uint32_t length) {
  OutputState& o = p->out;
  if (Failed(p)) return false;
  while (length > 0) {
    uint32_t n = kReadBlock - o.fill;
    if (n > length) n = length;
    memcpy(o.buffer + o.fill, text, n);
    o.fill += n;
    text += n;
    length -= n;
    if (o.fill == kReadBlock && !Flush(p)) return false;
  }
  return true;
}

bool WorkWriteText(Preprocessor* p, const char* text) {
  return WorkWrite(p, text, static_cast<uint32_t>(strlen(text)));
}

bool EmitBlock(Preprocessor* p, const char* text) {
  if (!EndOpenLine(p)) return false;
  char head[16];
  TextBuffer b = MakeTextBuffer(head, sizeof head);
  TextAppendChar(&b, 'N');
  TextAppendUnsigned(&b, p->out.next_block++);
  TextAppendChar(&b, ' ');
  if (!WorkWrite(p, head, b.length) || !WorkWriteText(p, text)) return false;
  p->out.line_open = true;
  p->out.line_from_current = true;
  return true;
}

bool EchoLine(Preprocessor* p, const char* line, uint32_t length) {
  // The echo ends the line of the last block this source line made; with
  // no such block it stands on a line of its own.
  if (!(p->out.line_open && p->out.line_from_current) && !EndOpenLine(p)) return false;
  p->out.line_open = false;
  char echo[kMaxLine + 4];
  memcpy(echo, "  \"", 3);
  for (uint32_t i = 0; i < length; ++i) echo[3 + i] = line[i] == '"' ? '\'' : line[i];
  return WorkWrite(p, echo, length + 3) && WorkWrite(p, kLineEnd, 2);
}

bool EndOfFileEcho(Preprocessor* p) {
  p->out.line_from_current = false;
  return EchoLine(p, "", 0) && WorkWriteText(p, "  \"-----------------------\r\n");
}

bool WriteSubProgramHeader(Preprocessor* p, const char* name) {
  if (!EndOpenLine(p)) return false;
  return WorkWriteText(p, "  \"--------") && WorkWriteText(p, name) &&
         WorkWriteText(p, "--------\r\n");
}

bool WriteMessage(Preprocessor* p, const char* text) {
  if (p->out.next_message > kMaxMessages) return Fail(p, kErrMessages);
  uint32_t number = p->out.next_message++;
  char line[16];
  TextBuffer b = MakeTextBuffer(line, sizeof line);
  TextAppendChar(&b, '&');
  TextAppendUnsigned(&b, number);
  uint32_t length = static_cast<uint32_t>(strnlen(text, kMessageChars));
  uint32_t first = length < kMessageLine ? length : kMessageLine;
  if (!DestWriteLine(p, line, b.length) || !DestWriteLine(p, text, first) ||
      !DestWriteLine(p, text + first, length - first))
    return false;
  memcpy(p->last_message, text, length);
  p->last_message[length] = '\0';
  char block[24];
  b = MakeTextBuffer(block, sizeof block);
  TextAppend(&b, "G26 R5=51");
  TextAppendChar(&b, static_cast<char>('0' + number / 10));
  TextAppendChar(&b, static_cast<char>('0' + number % 10));
  TextAppend(&b, "0001");
  return EmitBlock(p, block);
}

bool FinishWorkFile(Preprocessor* p) {
  OutputState& o = p->out;
  if (!EmitBlock(p, "G35") || !EmitBlock(p, "M30") || !WorkWrite(p, "\r\n*\r\n", 5) ||
      !Flush(p))
    return false;
  o.line_open = false;
  if (FspClose(o.work_handle) != kStatusOk) return Fail(p, kErrWrite);
  o.work_open = false;
  for (LineFile& f : p->data)
    if (!LineFileClose(&f)) return Fail(p, kErrRead);
  if (!DestWriteLine(p, "$MSGEND", 7)) return false;
  uint32_t size = 0;
  if (FspOpen(kWorkFilePath, kFspOpenRead, &o.copy_handle, &size) != kStatusOk)
    return Fail(p, kErrRead);
  o.copy_open = true;
  p->phase = Phase::kCopying;
  return true;
}

void CopyStep(Preprocessor* p) {
  OutputState& o = p->out;
  uint16_t count = 0;
  int8_t status = FspRead(o.copy_handle, o.buffer, kReadBlock, &count);
  if ((status != kStatusOk && status != kStatusEndOfFile) || count > kReadBlock) {
    Fail(p, kErrRead);
    return;
  }
  if (count > 0 && !DestWrite(p, reinterpret_cast<const char*>(o.buffer), count)) return;
  if (status != kStatusEndOfFile && count != 0) return;
  // The whole work file is behind the messages: close both and remove the
  // work file; only a destination closed without complaint is complete.
  if (FspClose(o.copy_handle) != kStatusOk) {
    Fail(p, kErrRead);
    return;
  }
  o.copy_open = false;
  if (FspDelete(kWorkFilePath) != kStatusOk) {
    Fail(p, kErrWrite);
    return;
  }
  o.work_created = false;
  if (FspClose(o.dest_handle) != kStatusOk) {
    Fail(p, kErrWrite);
    return;
  }
  o.dest_open = false;
  p->phase = Phase::kComplete;
}

void CloseEverything(Preprocessor* p) {
  OutputState& o = p->out;
  if (o.dest_open) CloseTwice(o.dest_handle);
  if (o.work_open) CloseTwice(o.work_handle);
  if (o.copy_open) CloseTwice(o.copy_handle);
  o.dest_open = o.work_open = o.copy_open = false;
  for (uint32_t i = 0; i < kStackDepth; ++i)
    if (p->stack[i].open && !LineFileClose(&p->stack[i])) LineFileClose(&p->stack[i]);
  for (LineFile& f : p->data)
    if (f.open && !LineFileClose(&f)) LineFileClose(&f);
  if (p->table.open && !LineFileClose(&p->table)) LineFileClose(&p->table);
  p->depth = 0;
  if (o.work_created && FspDelete(kWorkFilePath) != kStatusOk) FspDelete(kWorkFilePath);
  o.work_created = false;
  // A destination that did not complete holds half a program: remove it so
  // that nobody loads and cuts it. The source is untouched.
  if (o.dest_created && p->phase != Phase::kComplete && FspDelete(p->destination) != kStatusOk)
    FspDelete(p->destination);
  o.dest_created = false;
}
