// vCard property values: quoted-printable, charsets and backslash escapes read into UTF-8, and text escaped
// for writing.
#pragma once

#include <string>
#include <vector>

#include "vcard/vcard_lines.h"

namespace abk::vcard {

// The parts of a structured value (N, ORG) at each ';' that no backslash escapes; the parts keep their
// escapes.
std::vector<std::string> SplitComponents(const std::string& value);

// Reads values of one file into UTF-8 text.
struct TextDecoder {
  bool version21 = false;     // the card's escapes are 2.1's: only "\;"
  size_t windows1252Line = 0; // the first line whose value had no CHARSET and was read as Windows-1252

  // The line's value, or one part of it, as text: quoted-printable undone when the line's ENCODING says so,
  // the bytes read in its CHARSET (UTF-8 when it has none and they are UTF-8, else Windows-1252), the
  // escapes undone, and every line break made CR LF as the keyword field keeps it. False with *problem for
  // an encoding or charset it does not know, or bytes that break one.
  bool Decode(const ContentLine& line, const std::string& raw, std::string* text, std::string* problem);
};

// Text as a value: backslash, comma and semicolon escaped, each line break (CR LF, CR or LF) written "\n".
std::string EscapeText(const std::string& text);

} // namespace abk::vcard
