// The simulator's side of the technology screens: the input and output
// byte arrays, the description text, instance 1's key bytes, the text
// position, and the picture services (display words 36 and 52) over
// pictures loaded from binary PPM files. Sets the technology fields of a
// TracerHost's record and keeps them alive.
//
//   host::TechnolHost technol(tracer, display);
//   technol.SetText(description);
//   technol.input[2] = 1;          // instance 1 wants screen 1
//   PREFIX_TECHNOL_DLL(&tracer.record());
//   technol.input[8] = 1;          // instance 1 is being edited
//   technol.key = '5';  DATA_TECHNOL_DLL(&tracer.record());
//
// Picture services: word 36 (data, number) returns the picture's packed
// size, 0 when there is none; word 52 (data, number, top-left, bottom-
// right) draws it from the top-left, clipped to the bottom-right.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "host/services/display_services.h"
#include "host/services/tracer_host.h"

namespace host {

class TechnolHost {
 public:
  TechnolHost(TracerHost& tracer, DisplayServices& display);
  ~TechnolHost();
  TechnolHost(const TechnolHost&) = delete;
  TechnolHost& operator=(const TechnolHost&) = delete;

  void SetText(const std::string& text);
  // A picture of palette colours, row by row.
  void SetPicture(uint32_t number, int width, int height, std::vector<uint8_t> pixels);
  // Loads a binary PPM (P6, 8-bit) in the nearest palette colours; false
  // with *error naming the file's fault.
  bool LoadPicture(uint32_t number, const std::string& path, std::string* error);
  // The entry text handed over at output bytes 12..42.
  std::string HandedText() const;
  uint16_t OutU16(int index) const { return static_cast<uint16_t>(output[index] | output[index + 1] << 8); }

  uint8_t input[32] = {};
  uint8_t output[48] = {};
  uint8_t key = 0, key_modifier = 0;
  uint32_t text_position = 0;

 private:
  struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
  };
  int PictureSize(int count, va_list args);
  int PictureDraw(int count, va_list args);

  DisplayServices& display_;
  STRUCT_TRACER* record_ = nullptr;
  std::string text_;
  std::map<uint32_t, Picture> pictures_;
  uint32_t size_handle_ = 0, draw_handle_ = 0;
};

}  // namespace host
