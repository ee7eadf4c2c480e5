#include "host/services/contour_host.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "host/services/dispatch.h"

namespace host {

ContourHost::ContourHost(TracerHost& tracer, FileServices& files) : tracer_(tracer), files_(files) {
  Guard(&program_path_);
  Guard(&number_text_);
  Guard(&number_input_);
  // X across, Y up: the codes of X and Y with bits 4-7 set.
  tracer.SetSetting(4, 36);
  tracer.SetSetting(8, 37);

  STRUCT_TRACER& r = tracer.record();
  r.labelLeft = &label_left;
  r.colourSelectRapid = &colour_rapid;
  r.colourSelectOverride = &colour_override;
  r.displayKindInUse = &kind_in_use;
  r.editorBuffer = &editor_buffer;
  r.diameterFlag = &diameter_flag;
  r.motionType = &motion_type;
  r.planeType = &plane_type;
  r.horizontalLetter = &letter_h;
  r.verticalLetter = &letter_v;
  r.cuttingFlag = &cutting_flag;
  r.programPath = program_path_.text;
  r.numberText = number_text_.text;
  r.numberInput = number_input_.text;
  r.decimalComma = &decimal_comma;
  r.iAxis = &i_axis;
  r.lineDrawn = &line_drawn;
  r.lineEndX = &line_end_x;
  r.lineEndY = &line_end_y;
  r.clipLeft = &clip_left;
  r.clipRight = &clip_right;
  r.clipTop = &clip_top;
  r.clipBottom = &clip_bottom;
  r.decimalChar = &decimal_char_;
  r.offsetH = &offset_h;
  r.offsetV = &offset_v;
  r.programWidth = &width;
  r.programHeight = &height;
  r.targetH = &target_h;
  r.targetV = &target_v;
  r.arcOffsetH = &arc_h;
  r.arcOffsetV = &arc_v;
  r.previousH = &previous_h;
  r.previousV = &previous_v;
  r.minV = &min_v;
  r.maxV = &max_v;
  r.minH = &min_h;
  r.maxH = &max_h;
  r.areaWidth = &area_w;
  r.areaHeight = &area_h;
  r.shiftH = &shift_h;
  r.shiftV = &shift_v;
  r.directionH = &direction_h;
  r.directionV = &direction_v;
  r.panH = &pan_h;
  r.panV = &pan_v;
  r.scale = &scale;
  r.originX = &origin_x;
  r.originY = &origin_y;
  r.numberResult = &number_result;
  r.numberValue = &number_value;

  auto add = [this](const char* name, int (ContourHost::*fn)()) {
    const uint32_t handle = RegisterService(name, [this, name, fn](int, va_list) {
      ++calls_[name];
      return (this->*fn)();
    });
    handles_.push_back(handle);
    return handle;
  };
  r.prepareEditorHandle = add("prepare editor buffer", &ContourHost::PrepareEditor);
  r.textToNumberHandle = add("text to number", &ContourHost::TextToNumber);
  r.numberToTextHandle = add("number to text", &ContourHost::NumberToText);
}

ContourHost::~ContourHost() {
  for (uint32_t h : handles_) UnregisterService(h);
}

void ContourHost::SetProgram(const std::string& dos_path) {
  memset(program_path_.text, 0, sizeof program_path_.text);
  memcpy(program_path_.text, dos_path.data(), std::min(dos_path.size(), sizeof program_path_.text - 1));
}

void ContourHost::SetEditorDir(const std::string& dos_dir) {
  char* dir = tracer_.record().fixTableDir;
  memset(dir, 0, 64);
  memcpy(dir, dos_dir.data(), std::min<size_t>(dos_dir.size(), 63));
}

bool ContourHost::GuardsIntact() const {
  return Intact(program_path_) && Intact(number_text_) && Intact(number_input_);
}

int ContourHost::calls(const std::string& name) const {
  auto it = calls_.find(name);
  return it == calls_.end() ? 0 : it->second;
}

int ContourHost::PrepareEditor() {
  const std::string from = files_.Resolve(editor_source_);
  const std::string to = files_.Resolve(std::string(tracer_.record().fixTableDir) + "@EDIT.TMP");
  if (from.empty() || to.empty()) return 0;
  std::ifstream in(from, std::ios::binary);
  if (!in) return 0;
  std::ostringstream text;
  text << in.rdbuf();
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  out << text.str();
  return out ? 1 : 0;
}

int ContourHost::TextToNumber() {
  std::string text(number_input_.text, strnlen(number_input_.text, sizeof number_input_.text));
  for (char& c : text)
    if (c == decimal_char_) c = '.';
  char* end = nullptr;
  const double v = strtod(text.c_str(), &end);
  if (text.empty() || end == nullptr || *end != '\0') {
    number_result = 0;
    return 0;
  }
  number_result = v;
  return 1;
}

int ContourHost::NumberToText() {
  char text[64];
  snprintf(text, sizeof text, "%.3f", number_value);
  for (char* p = text; *p != '\0'; ++p)
    if (*p == '.') *p = decimal_char_;
  memset(number_text_.text, 0, sizeof number_text_.text);
  memcpy(number_text_.text, text, std::min(strlen(text), sizeof number_text_.text - 1));
  return 1;
}

}  // namespace host
