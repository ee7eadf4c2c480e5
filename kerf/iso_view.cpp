#include "kerf/iso_view.h"

#include <string.h>

#include "bridge/fsp.h"
#include "kerf/arc_box.h"
#include "kerf/texts.h"

namespace {

IsoView g_iso_view;

constexpr uint32_t kSliceMs = 2;
// The ISO view shows the program's size in program units, undivided.
constexpr double kSizeDivisor = 1;

uint32_t Now(const KerfView* v) { return ViewMilliseconds(v->info); }

double WeightOf(ProgressWeight w) {
  switch (w) {
    case ProgressWeight::kMeasuring: return 0.3;
    case ProgressWeight::kDrawing: return 0.7;
    default: return 1.0;
  }
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Makes the byte at the memory position available, counting the next
// 512-byte block toward the progress when the position enters it; false at
// the end of the text.
bool MemoryByte(ProgramReader* r, MemoryText* m) {
  if (m->position < m->counted) return true;
  if (m->counted >= m->length) return false;
  uint32_t block = m->length - m->counted;
  if (block > kReadBlockSize) block = kReadBlockSize;
  r->consumed += static_cast<uint32_t>(block * WeightOf(r->weight));
  m->counted += block;
  return true;
}

void Fail(KerfView* v, uint32_t text) {
  v->failed = true;
  v->finished = true;
  v->reader.error = true;
  v->reader.error_text = text;
}

bool ProgramGiven(const IsoView* iv) {
  if (iv->from_memory) return iv->view.info->text != nullptr;
  return iv->view.info->path != nullptr && iv->view.info->path[0] != '\0';
}

// Opens the program file, or takes the memory text when the path is empty.
// A failure fails the view with its text.
void OpenSource(IsoView* iv) {
  KerfView* v = &iv->view;
  if (iv->from_memory) {
    // No path and no text: there is no program to show.
    if (v->info->text == nullptr) {
      Fail(v, kerf_text::kFilePath);
      return;
    }
    iv->memory = MemoryText{v->info->text, v->info->text_length, 0, 0};
    v->reader.file_size = iv->memory.length;
    iv->source_open = true;
    return;
  }
  int8_t status = FspOpen(v->info->path, kFspOpenRead, &v->reader.handle, &v->reader.file_size);
  if (status == 0) {
    v->reader.file_open = true;
    iv->source_open = true;
    return;
  }
  // -5 is the host's bad path; any other failure is an operation error.
  Fail(v, status == kStatusBadPath ? kerf_text::kFilePath : kerf_text::kFileOperation);
}

int ReadLine(IsoView* iv) {
  if (iv->from_memory) return ReadMemoryLine(&iv->view.reader, &iv->memory);
  return ReadProgramLine(&iv->view.reader);
}

bool IsArc(IsoMoveKind kind) {
  return kind == IsoMoveKind::kClockwise || kind == IsoMoveKind::kCounterClockwise;
}

void MeasureMove(KerfView* v, const IsoMove& m) {
  if (m.kind == IsoMoveKind::kNone) return;
  if (IsArc(m.kind)) {
    ArcBox box = ArcBoundingBox(m.dx, m.dy, m.cx, m.cy, m.kind == IsoMoveKind::kCounterClockwise);
    WidenExtents(&v->extents, v->x + box.min_x, v->y + box.min_y);
    WidenExtents(&v->extents, v->x + box.max_x, v->y + box.max_y);
    v->x += m.dx;
    v->y += m.dy;
    return;
  }
  v->x += m.dx;
  v->y += m.dy;
  WidenExtents(&v->extents, v->x, v->y);
}

void DrawMove(KerfView* v, const IsoMove& m) {
  if (m.kind == IsoMoveKind::kNone) return;
  v->pen.pattern = m.kind == IsoMoveKind::kRapid ? kPatternDashed : kPatternSolid;
  if (IsArc(m.kind)) {
    double cx = v->x + m.cx, cy = v->y + m.cy;
    v->x += m.dx;
    v->y += m.dy;
    PenArc(&v->pen, kPlaneXY, m.kind == IsoMoveKind::kClockwise ? kArcClockwise : 0, cx, cy, 0,
           v->x, v->y, 0);
    return;
  }
  v->x += m.dx;
  v->y += m.dy;
  PenLineTo(&v->pen, v->x, v->y, 0);
}

IsoMove InterpretCurrent(IsoView* iv) {
  char* line = iv->view.reader.line;
  NormalizeIsoBlock(line);
  return InterpretIsoBlock(line, iv->settings, &iv->modal, iv->view.x, iv->view.y);
}

// End of the measuring pass: fit the program, then read it again from its
// first block with the modal state of a fresh program.
void FinishMeasuring(IsoView* iv) {
  KerfView* v = &iv->view;
  if (!iv->from_memory) {
    int8_t status = FspClose(v->reader.handle);
    v->reader.file_open = false;
    iv->source_open = false;
    if (status == -1 || status == -2) {
      Fail(v, status == -1 ? kerf_text::kFileOperation : kerf_text::kFileHandle);
      return;
    }
  }
  BeginDrawingPass(v);
  iv->modal = IsoModal{};
  if (iv->from_memory) {
    iv->memory.position = iv->memory.counted = 0;
  } else {
    OpenSource(iv);
  }
}

uint32_t RunEngine(IsoView* iv) {
  KerfView* v = &iv->view;
  ViewSlice slice = BeginViewSlice(v->info->ticks, v->info->tick_frequency, kSliceMs);
  GdiSetClip(v->window);
  for (;;) {
    if (v->finished) return 2;
    if (ViewSliceOver(slice)) return 1;
    int read = ReadLine(iv);
    if (read != 0 && read != 1) {  // a failed file read; its text is set
      v->failed = v->finished = true;
      continue;
    }
    if (v->pass == ViewPass::kMeasuring) {
      if (read == 1) {
        FinishMeasuring(iv);
        continue;
      }
      MeasureMove(v, InterpretCurrent(iv));
    } else {
      if (read == 1) {
        v->reader.consumed = v->reader.file_size;
        v->finished = true;
        v->reader.error = false;
        return 1;
      }
      DrawMove(v, InterpretCurrent(iv));
    }
  }
}

char UpperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

IsoSettings SettingsOf(const VIEW_INFO* info) {
  IsoSettings s{};
  // Without the host's letters the axes are X and Y.
  s.axis[0] = info->axes != nullptr ? UpperLetter(info->axes[0]) : 'X';
  s.axis[1] = info->axes != nullptr ? UpperLetter(info->axes[1]) : 'Y';
  s.swap_arcs = (info->options & kIsoOptionSwapArcs) != 0;
  s.swap_centres = (info->options & kIsoOptionSwapCentres) != 0;
  s.diameter = info->diameter != 0;
  return s;
}

}  // namespace

int ReadMemoryLine(ProgramReader* r, MemoryText* m) {
  r->line_count++;
  r->length = 0;
  r->line[0] = '\0';
  if (!MemoryByte(r, m)) return 1;
  while (r->length < kMaxLineLength && MemoryByte(r, m) && !IsLineEnd(m->text[m->position]))
    r->line[r->length++] = m->text[m->position++];
  // One line end, and a second one right after it; a piece of a long line
  // ends without one.
  for (int ends = 0; ends < 2 && MemoryByte(r, m) && IsLineEnd(m->text[m->position]); ++ends)
    m->position++;
  r->line[r->length] = '\0';
  return 0;
}

IsoView* TheIsoView() { return &g_iso_view; }

uint32_t IsoViewStart(IsoView* iv, const VIEW_INFO* info) {
  // Clears the shared part (closing a file still open), lays out the window
  // and draws its frame exactly as the Kerf view does.
  KerfViewStart(&iv->view, info);
  iv->settings = SettingsOf(info);
  iv->modal = IsoModal{};
  iv->from_memory = info->path == nullptr || info->path[0] == '\0';
  iv->source_open = false;
  iv->memory = MemoryText{};
  return 0;
}

uint32_t IsoViewCont(IsoView* iv, const VIEW_INFO* info) {
  KerfView* v = &iv->view;
  v->info = info;
  if (!iv->source_open && !v->finished && ElapsedMs(Now(v), v->start_time) < info->start_delay_ms)
    return 1;
  if (!iv->source_open && !v->failed && !v->finished) OpenSource(iv);
  uint32_t result = RunEngine(iv);
  RefreshViewLines(v, kSizeDivisor, ProgramGiven(iv));
  return result;
}

uint32_t IsoViewStop(IsoView* iv) {
  if (iv->view.reader.file_open) FspClose(iv->view.reader.handle);
  iv->view.reader.file_open = false;
  iv->source_open = false;
  return 0;
}
