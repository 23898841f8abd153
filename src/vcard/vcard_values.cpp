// Reading vCard values into UTF-8 text and escaping text for writing.
#include "vcard/vcard_values.h"

namespace abk::vcard {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Quoted-printable to bytes; false at an '=' not followed by two hex digits (soft line breaks are gone
// with the unfolding).
bool DecodeQuotedPrintable(const std::string& raw, std::string* bytes, std::string* problem) {
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '=') {
      *bytes += raw[i];
      continue;
    }
    int high = i + 2 < raw.size() ? HexDigit(raw[i + 1]) : -1;
    int low = high >= 0 ? HexDigit(raw[i + 2]) : -1;
    if (low < 0) {
      *problem = "bad quoted-printable at '" + raw.substr(i, 3) + "'";
      return false;
    }
    *bytes += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

// The bytes of a value in UTF-8, as its CHARSET says.
bool ToUtf8(const std::string& charset, const std::string& bytes, std::string* text, std::string* problem) {
  std::string name = Upper(charset);
  bool utf8 = abk::csv::IsUtf8(bytes);
  if (name.empty() || name == "UTF-8" || name == "US-ASCII") {
    *text = utf8 ? bytes : abk::csv::Windows1252ToUtf8(bytes);
    if (utf8 || name.empty()) return true;
    *problem = "not " + name + " as its CHARSET says";
    return false;
  }
  // Files labelled ISO-8859-1 are written by Windows programs in Windows-1252 more often than not, and
  // the two differ only where ISO-8859-1 has control characters no name holds.
  if (name == "ISO-8859-1" || name == "WINDOWS-1252" || name == "CP1252") {
    *text = abk::csv::Windows1252ToUtf8(bytes);
    return true;
  }
  *problem = "unknown charset '" + charset + "' (UTF-8, ISO-8859-1 or Windows-1252)";
  return false;
}

// Undoes the escapes: "\;" always, and from 3.0 on "\,", "\\" and "\n" (or "\N"). A backslash before anything
// else is text.
std::string Unescape(const std::string& text, bool version21) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] != '\\' ||
        !(next == ';' || (!version21 && (next == ',' || next == '\\' || next == 'n' || next == 'N')))) {
      out += text[i];
      continue;
    }
    out += next == 'n' || next == 'N' ? '\n' : next;
    ++i;
  }
  return out;
}

// Every line break (CR LF, CR or LF) as CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') {
      out += text[i];
      continue;
    }
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    out += "\r\n";
  }
  return out;
}

} // namespace

std::vector<std::string> SplitComponents(const std::string& value) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == ';') {
      parts.emplace_back();
      continue;
    }
    parts.back() += value[i];
    if (value[i] == '\\' && i + 1 < value.size()) parts.back() += value[++i];
  }
  return parts;
}

bool TextDecoder::Decode(const ContentLine& line, const std::string& raw, std::string* text, std::string* problem) {
  std::string encoding = Upper(ParamValue(line, "ENCODING"));
  std::string bytes;
  if (encoding == "QUOTED-PRINTABLE") {
    if (!DecodeQuotedPrintable(raw, &bytes, problem)) return false;
  } else if (encoding.empty() || encoding == "7BIT" || encoding == "8BIT") {
    bytes = raw;
  } else {
    *problem = "unknown encoding '" + ParamValue(line, "ENCODING") + "' (quoted-printable, 7bit or 8bit)";
    return false;
  }
  std::string utf8;
  std::string charset = ParamValue(line, "CHARSET");
  if (!ToUtf8(charset, bytes, &utf8, problem)) return false;
  if (charset.empty() && !abk::csv::IsUtf8(bytes) && !windows1252Line) windows1252Line = line.line;
  *text = WithCrLf(Unescape(utf8, version21));
  return true;
}

std::string EscapeText(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' || c == ',' || c == ';') {
      out += '\\';
      out += c;
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

} // namespace abk::vcard
