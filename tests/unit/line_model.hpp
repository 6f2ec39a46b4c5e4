// The line rules written plainly, byte by byte, apart from the buffered implementation:
// tests compare the two on inputs the tables do not list.
#pragma once

#include <string>
#include <vector>

namespace model {

// `end`, when given, receives where the input ended: at the 0x1A that ended it, or at the end
// of the data; nothing after it may be read.
inline std::vector<std::string> Lines(const std::string& data, std::size_t* end = nullptr) {
  constexpr char kLf = '\n', kCr = '\r', kEnd = '\x1A';
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < data.size() && data[i] != kEnd) {
    std::string line;
    for (; i < data.size(); ++i) {
      if (data[i] == kLf) {
        ++i;
        break;
      }
      if (data[i] == kCr) continue;
      if (data[i] == kEnd) {
        // The rest of a cut line is skipped through its LF; another 0x1A ends the input.
        for (++i; i < data.size() && data[i] != kLf; ++i) {
          if (data[i] == kEnd) {
            lines.push_back(line);
            if (end != nullptr) *end = i;
            return lines;
          }
        }
        if (i < data.size()) ++i;
        break;
      }
      line.push_back(data[i]);
    }
    lines.push_back(line);
  }
  if (end != nullptr) *end = i;
  return lines;
}

}  // namespace model
