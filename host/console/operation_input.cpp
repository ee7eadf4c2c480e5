#include <fstream>
#include <sstream>

#include "host/console/operations.h"

namespace host {

bool ReadWholeFile(const std::string& path, std::string* text) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream whole;
  whole << file.rdbuf();
  *text = whole.str();
  return static_cast<bool>(file);
}

}  // namespace host
