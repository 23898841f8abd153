// Unfolding a vCard file into content lines, and folding a line for writing.
#include "vcard/vcard_lines.h"

namespace abk::vcard {
namespace {

// What a 2.1 bare parameter names when it is an encoding rather than a type.
constexpr const char* kEncodingNames[] = {"QUOTED-PRINTABLE", "BASE64", "B", "7BIT", "8BIT"};

bool IsEncodingName(const std::string& upper) {
  for (const char* encoding : kEncodingNames)
    if (upper == encoding) return true;
  return false;
}

// The comma-separated items of a parameter value, quotes dropped. A quoted value's commas separate items
// too: 4.0 writes TYPE="fax,work" for the two types.
std::vector<std::string> SplitItems(const std::string& text) {
  std::vector<std::string> items(1);
  for (char c : text) {
    if (c == ',')
      items.emplace_back();
    else if (c != '"')
      items.back() += c;
  }
  return items;
}

// "NAME=a,b" or a 2.1 bare "FAX" (a type) or "QUOTED-PRINTABLE" (an encoding).
Param ParamOf(const std::string& text) {
  Param param;
  size_t equals = text.find('=');
  if (equals != std::string::npos) {
    param.name = Upper(text.substr(0, equals));
    param.values = SplitItems(text.substr(equals + 1));
    return param;
  }
  param.name = IsEncodingName(Upper(text)) ? "ENCODING" : "TYPE";
  param.values = SplitItems(text);
  return param;
}

// Reads "group.NAME;PARAM...:value" into *line; false when there is no ':' after the parameters.
bool ParseLine(const std::string& text, ContentLine* line) {
  size_t at = text.find_first_of(";:");
  if (at == std::string::npos) return false;
  std::string name = text.substr(0, at);
  size_t dot = name.rfind('.');
  line->name = Upper(dot == std::string::npos ? name : name.substr(dot + 1));
  while (text[at] == ';') {
    size_t end = ++at;
    bool quoted = false;
    for (; end < text.size() && (quoted || (text[end] != ';' && text[end] != ':')); ++end)
      if (text[end] == '"') quoted = !quoted;
    if (end >= text.size()) return false;
    if (end > at) line->params.push_back(ParamOf(text.substr(at, end - at)));
    at = end;
  }
  line->value = text.substr(at + 1);
  return !line->name.empty();
}

// Whether the text so far is a quoted-printable value broken softly: its last '=' joins the next line.
bool EndsInSoftBreak(const std::string& text) {
  ContentLine line;
  return !text.empty() && text.back() == '=' && ParseLine(text, &line) &&
         HasParam(line, "ENCODING", "QUOTED-PRINTABLE");
}

// The physical lines, without their line ends.
std::vector<std::string> PhysicalLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

bool IsFoldBlank(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

} // namespace

std::string Upper(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool HasParam(const ContentLine& line, const char* name, const char* value) {
  for (const Param& param : line.params) {
    if (param.name != name) continue;
    for (const std::string& item : param.values)
      if (Upper(item) == Upper(value)) return true;
  }
  return false;
}

std::string ParamValue(const ContentLine& line, const char* name) {
  for (const Param& param : line.params)
    if (param.name == name && !param.values.empty()) return param.values[0];
  return std::string();
}

std::vector<ContentLine> ReadContentLines(const std::string& bytes, std::vector<abk::csv::Problem>* problems) {
  std::vector<std::string> physical = PhysicalLines(bytes);
  std::vector<ContentLine> lines;
  size_t next = 0;
  while (next < physical.size()) {
    size_t first = next++;
    std::string text = physical[first];
    if (text.empty()) continue;
    while (next < physical.size()) {
      if (EndsInSoftBreak(text)) {
        text.pop_back();
        text += physical[next++];
      } else if (IsFoldBlank(physical[next])) {
        text += physical[next++].substr(1);
      } else {
        break;
      }
    }
    ContentLine line;
    line.line = first + 1;
    if (ParseLine(text, &line))
      lines.push_back(std::move(line));
    else
      problems->push_back({first + 1, "not a vCard line (NAME:value)"});
  }
  return lines;
}

std::string FoldLine(const std::string& line) {
  std::string out;
  size_t at = 0;
  size_t room = 75; // a continuation's leading space takes one octet of its 75
  while (line.size() - at > room) {
    size_t cut = at + room;
    while (cut > at && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
      --cut; // back to the first byte of the character the limit falls in
    out.append(line, at, cut - at).append("\r\n ");
    at = cut;
    room = 74;
  }
  return out.append(line, at, std::string::npos).append("\r\n");
}

} // namespace abk::vcard
