// Character rules the CSV files share: the blanks around values and names, and quoting.
#pragma once

#include <string>

namespace abk::csv {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The text in double quotes, each quote inside doubled.
inline std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

} // namespace abk::csv
