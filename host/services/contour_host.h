// The simulator's side of the ISO contour view (DLL_SHOWISO): the host
// variables behind STRUCT_TRACER's fields from 300 on, and three services.
// It attaches to a TracerHost, whose record and settings it extends:
//
//   host::TracerHost tracer(display, &files);
//   host::ContourHost contour(tracer, files);
//   contour.SetProgram("c:\\prog.nc");           // path at 352
//   tracer.record().displayKind = 0;
//   DLL_SHOWISO(&tracer.record());
//   contour.width(), contour.scale(), ...
//
// Services:
//   prepare editor buffer ()  copies the file set by SetEditorSource() to
//                             @EDIT.TMP in the folder at 324; 0 when it
//                             cannot
//   text to number ()         numberInput (read up to 32 bytes, the decimal
//                             character at 400 or '.') -> *numberResult;
//                             text that is no number gives 0 and returns 0
//   number to text ()         *numberValue -> numberText with three
//                             decimals and the decimal character (at most
//                             31 characters and NUL)
// Every call is counted (calls()). numberText and numberInput carry guard
// bytes (GuardsIntact()).
#pragma once

#include <stdarg.h>

#include <map>
#include <string>
#include <vector>

#include "host/services/file_services.h"
#include "host/services/tracer_host.h"

namespace host {

class ContourHost {
 public:
  ContourHost(TracerHost& tracer, FileServices& files);
  ~ContourHost();
  ContourHost(const ContourHost&) = delete;
  ContourHost& operator=(const ContourHost&) = delete;

  void SetProgram(const std::string& dos_path);
  void SetEditorDir(const std::string& dos_dir);
  // The program the prepare service copies into the editor buffer.
  void SetEditorSource(const std::string& dos_path) { editor_source_ = dos_path; }
  void SetDecimalChar(char c) { decimal_char_ = c; }
  bool GuardsIntact() const;
  int calls(const std::string& name) const;

  // The variables behind the record (doubles unless noted).
  double width = 0, height = 0, target_h = 0, target_v = 0, arc_h = 0, arc_v = 0, previous_h = 0,
         previous_v = 0, min_v = 0, max_v = 0, min_h = 0, max_h = 0, area_w = 0, area_h = 0, shift_h = 0,
         shift_v = 0, direction_h = 0, direction_v = 0, pan_h = 0, pan_v = 0, scale = 0, origin_x = 0,
         origin_y = 0, number_result = 0, number_value = 0;
  uint8_t label_left = 1, colour_rapid = 0, colour_override = 0, kind_in_use = 0, editor_buffer = 0;
  uint8_t diameter_flag = 0, motion_type = 0, plane_type = 0, cutting_flag = 0, decimal_comma = 0;
  uint8_t line_drawn = 0;
  char letter_h = 0, letter_v = 0;
  int16_t i_axis = 0, line_end_x = 0, line_end_y = 0;
  uint16_t clip_left = 0, clip_right = 0, clip_top = 0, clip_bottom = 0;
  int32_t offset_h = 0, offset_v = 0;

 private:
  int PrepareEditor();
  int TextToNumber();
  int NumberToText();

  TracerHost& tracer_;
  FileServices& files_;
  GuardedText<128> program_path_{};
  GuardedText<32> number_text_{}, number_input_{};
  char decimal_char_ = '.';
  std::string editor_source_;
  std::map<std::string, int> calls_;
  std::vector<uint32_t> handles_;
};

}  // namespace host
