// CSV bytes to records and cells back to a line.
#include "csv/csv_text.h"

#include <utility>

#include "csv/csv_chars.h"

namespace abk::csv {
namespace {

// What Windows maps 0x80-0x9F of code page 1252 to; the bytes it leaves unassigned map to the C1 control
// of the same value, as Windows' own table has them, so that they come back unchanged.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendWindows1252(unsigned char byte, std::string* out) {
  char16_t code = byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte;
  if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | (code >> 6));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xE0 | (code >> 12));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The length of the well-formed UTF-8 sequence at bytes[at]; 0 when none begins there.
size_t Utf8LengthAt(const std::string& bytes, size_t at) {
  unsigned char lead = static_cast<unsigned char>(bytes[at]);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF; // the second byte's range: narrower where a lead allows overlongs
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F; // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F; // above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = static_cast<unsigned char>(bytes[at + i]);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

// UTF-8 as it is, each byte that is not part of a sequence read as Windows-1252 and reported once a line.
std::string DecodeUtf8(const std::string& bytes, std::vector<Problem>* problems) {
  std::string text;
  text.reserve(bytes.size());
  size_t line = 1;
  size_t reported = 0;
  for (size_t at = 0; at < bytes.size();) {
    size_t length = Utf8LengthAt(bytes, at);
    if (length == 0) {
      if (reported != line) problems->push_back({line, "not UTF-8"});
      reported = line;
      AppendWindows1252(static_cast<unsigned char>(bytes[at]), &text);
      ++at;
      continue;
    }
    if (bytes[at] == '\r' || (bytes[at] == '\n' && (at == 0 || bytes[at - 1] != '\r'))) ++line;
    text.append(bytes, at, length);
    at += length;
  }
  return text;
}

// The length of the line end at text[at] (LF, CRLF or a lone CR); 0 when there is none.
size_t LineEndAt(const std::string& text, size_t at) {
  if (at >= text.size()) return 0;
  if (text[at] == '\n') return 1;
  if (text[at] != '\r') return 0;
  return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

// A place in the text, with the line it is on.
struct Cursor {
  size_t at = 0;
  size_t line = 1;
};

// Reads a quoted field from just after its opening quote to just after its closing one; false when the
// text ends first.
bool ReadQuoted(const std::string& text, Cursor& cursor, std::string* cell) {
  while (cursor.at < text.size()) {
    char c = text[cursor.at];
    if (c == '"') {
      bool doubled = cursor.at + 1 < text.size() && text[cursor.at + 1] == '"';
      cursor.at += doubled ? 2 : 1;
      if (!doubled) return true;
      *cell += '"';
      continue;
    }
    size_t end = LineEndAt(text, cursor.at);
    if (end) {
      cell->append(text, cursor.at, end);
      cursor.at += end;
      ++cursor.line;
      continue;
    }
    *cell += c;
    ++cursor.at;
  }
  return false;
}

// Reads the record at the cursor, which ends after its line end. False when a quoted field is still open at
// the end of the text; *quote is then where that field's quote is.
bool ReadRecord(const std::string& text, char separator, Cursor& cursor, std::vector<std::string>* cells,
                Cursor* quote) {
  std::string cell;
  for (;;) {
    if (cursor.at < text.size() && text[cursor.at] == '"') {
      *quote = cursor;
      ++cursor.at;
      if (!ReadQuoted(text, cursor, &cell)) return false;
    }
    // An unquoted field, or what follows a closing quote: all of it is text, quotes included.
    while (cursor.at < text.size() && text[cursor.at] != separator && !LineEndAt(text, cursor.at))
      cell += text[cursor.at++];
    cells->push_back(std::move(cell));
    cell.clear();
    if (cursor.at < text.size() && text[cursor.at] == separator) {
      ++cursor.at;
      continue;
    }
    size_t end = LineEndAt(text, cursor.at);
    if (end) {
      cursor.at += end;
      ++cursor.line;
    }
    return true;
  }
}

// Moves the cursor past the empty lines at it.
void SkipEmptyLines(const std::string& text, Cursor& cursor) {
  for (size_t end; (end = LineEndAt(text, cursor.at)) != 0; cursor.at += end)
    ++cursor.line;
}

// ';' when the heading line splits into more fields at semicolons than at commas (spreadsheets in locales
// that write decimal commas separate with semicolons), else ','.
char SeparatorOf(const std::string& text) {
  Cursor start;
  SkipEmptyLines(text, start);
  Cursor cursor = start, quote;
  std::vector<std::string> byComma, bySemicolon;
  ReadRecord(text, ',', cursor, &byComma, &quote);
  cursor = start;
  ReadRecord(text, ';', cursor, &bySemicolon, &quote);
  return bySemicolon.size() > byComma.size() ? ';' : ',';
}

} // namespace

Document ParseCsv(const std::string& bytes, Encoding encoding) {
  Document document;
  size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  std::string body = bytes.substr(skip);
  std::string text;
  if (encoding == Encoding::kWindows1252) {
    text = Windows1252ToUtf8(body);
  } else {
    text = DecodeUtf8(body, &document.problems);
    if (encoding == Encoding::kAuto && !document.problems.empty()) {
      document.problems.clear();
      document.guessedWindows1252 = true;
      text = Windows1252ToUtf8(body);
    }
  }
  bool windows1252 = encoding == Encoding::kWindows1252 || document.guessedWindows1252;
  document.encoding = windows1252 ? Encoding::kWindows1252 : Encoding::kUtf8;

  document.separator = SeparatorOf(text);
  Cursor cursor;
  for (;;) {
    SkipEmptyLines(text, cursor);
    if (cursor.at >= text.size()) break;
    Record record;
    record.line = cursor.line;
    Cursor quote;
    if (ReadRecord(text, document.separator, cursor, &record.cells, &quote)) {
      document.records.push_back(std::move(record));
      continue;
    }
    // Taking the rest of the file into one field would hide every line after it: the record is dropped
    // and reading starts again on the line after the quote's.
    document.problems.push_back(
        {quote.line, std::string("quote opened on line ").append(std::to_string(quote.line)).append(" is not closed")});
    cursor = quote;
    while (cursor.at < text.size() && !LineEndAt(text, cursor.at))
      ++cursor.at;
    cursor.at += LineEndAt(text, cursor.at);
    ++cursor.line;
  }
  return document;
}

std::string QuoteCell(const std::string& text, char separator) {
  bool quoted = text.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string::npos ||
                (!text.empty() && (IsBlank(text.front()) || IsBlank(text.back())));
  return quoted ? Quoted(text) : text;
}

std::string JoinCells(const std::vector<std::string>& cells, char separator) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i) line += separator;
    line += QuoteCell(cells[i], separator);
  }
  return line;
}

bool IsUtf8(const std::string& bytes) {
  for (size_t at = 0; at < bytes.size();) {
    size_t length = Utf8LengthAt(bytes, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string Windows1252ToUtf8(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (char c : bytes)
    AppendWindows1252(static_cast<unsigned char>(c), &text);
  return text;
}

} // namespace abk::csv
