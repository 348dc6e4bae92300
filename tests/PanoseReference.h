// A plain model of the panose filter for tests: cut each group with an erase
// and search again from the start of the buffer, exactly as the rule is told.
#pragma once

#include <string>

class PanoseReference {
public:
  std::string Filter(std::string buffer) {
    size_t scan = 0;
    for (;;) {
      const size_t hit = buffer.find(inside_ ? std::string("}") : std::string("{\\*\\panose"), scan);
      if (hit == std::string::npos) break;
      if (!inside_) {
        cutStart_ = hit;
        scan = hit + 10;
        inside_ = true;
      } else {
        buffer.erase(cutStart_, hit - cutStart_);
        buffer[cutStart_] = ' ';
        inside_ = false;
        scan = 0;
      }
    }
    if (inside_) {
      buffer.resize(cutStart_);
      cutStart_ = 0;
    }
    return buffer;
  }
  bool inside() const { return inside_; }

private:
  bool inside_ = false;
  size_t cutStart_ = 0;
};
