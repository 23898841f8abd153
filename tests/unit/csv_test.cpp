// The CSV book format: bytes to records, member lists, and records to person and group rows.
#include <gtest/gtest.h>

#include "csv/csv_book.h"

using namespace abk::csv;
using namespace std::string_literals;

namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text)
    out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
  return out;
}

// "!line text" for a problem, "?line text" for a warning.
std::string Noted(char mark, const Problem& problem) {
  std::string out(1, mark);
  out += std::to_string(problem.line) + " " + problem.text + "\n";
  return out;
}

// A document as "line:cell|cell" for each record, then "!line text" for each problem.
std::string Shown(const Document& document) {
  std::string out;
  for (const Record& record : document.records) {
    out += std::to_string(record.line) + ":";
    for (size_t i = 0; i < record.cells.size(); ++i) {
      if (i) out += '|';
      out += Escaped(record.cells[i]);
    }
    out += "\n";
  }
  for (const Problem& problem : document.problems)
    out += Noted('!', problem);
  return out;
}

TEST(CsvText, ParsesRecordsLinesAndEncodings) {
  struct Case {
    const char* what;
    std::string bytes;
    Encoding encoding;
    char separator;
    Encoding read;
    bool guessed;
    const char* shown;
  };
  const Encoding kAuto = Encoding::kAuto, kUtf8 = Encoding::kUtf8, k1252 = Encoding::kWindows1252;
  const Case cases[] = {
      {"mark, semicolons, CR LF, quotes across lines, no final line end",
       "\xEF\xBB\xBF"
       "a;b\r\n\"x;\"\"y\"\"\";\"two\r\nlines\"\r\nlast;z",
       kAuto, ';', kUtf8, false, "1:a|b\n2:x;\"y\"|two\\r\\nlines\n4:last|z\n"},
      {"lone CR, and empty lines are no records", "a,b\r\r\n\n1,2\r", kAuto, ',', kUtf8, false, "1:a|b\n4:1|2\n"},
      {"quotes inside a field and after a closing quote are text", "a,b\nx\"y,\"q\"r \"s\"\n", kAuto, ',', kUtf8, false,
       "1:a|b\n2:x\"y|qr \"s\"\n"},
      {"separators inside quotes do not count", "\"a;b;c\",d\n", kAuto, ',', kUtf8, false, "1:a;b;c|d\n"},
      {"as many semicolons as commas", "a;b,c\n", kAuto, ',', kUtf8, false, "1:a;b|c\n"},
      {"an unclosed quote loses its own record only", "h\n1,\"open\nnext\n\n", kAuto, ',', kUtf8, false,
       "1:h\n3:next\n!2 quote opened on line 2 is not closed\n"},
      {"an unclosed quote in a record begun lines before", "h\n\"a\nb\",\"c\nd", kAuto, ',', kUtf8, false,
       "1:h\n4:d\n!3 quote opened on line 3 is not closed\n"},
      {"not UTF-8: read as Windows-1252", "n\nZo\xE9 \x80\x81\x9F", kAuto, ',', k1252, true,
       "1:n\n2:Zo\xC3\xA9 \xE2\x82\xAC\xC2\x81\xC5\xB8\n"},
      {"UTF-8 asked: each line with other bytes reported, the bytes kept", "n\r\nZo\xE9\r\n\xC3\xA9\r\xFF\xFE\n", kUtf8,
       ',', kUtf8, false, "1:n\n2:Zo\xC3\xA9\n3:\xC3\xA9\n4:\xC3\xBF\xC3\xBE\n!2 not UTF-8\n!4 not UTF-8\n"},
      {"Windows-1252 asked", "\xC3\xA9", k1252, ',', k1252, false, "1:\xC3\x83\xC2\xA9\n"},
      {"only empty lines", "\r\n\n", kAuto, ',', kUtf8, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Document document = ParseCsv(c.bytes, c.encoding);
    EXPECT_EQ(Shown(document), c.shown);
    EXPECT_EQ(document.separator, c.separator);
    EXPECT_EQ(document.encoding, c.read);
    EXPECT_EQ(document.guessedWindows1252, c.guessed);
  }
}

TEST(CsvText, TellsWellFormedUtf8) {
  const std::pair<std::string, bool> cases[] = {
      {"plain \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", true},
      {"\xC0\x80", false},         // overlong
      {"\xE0\x80\xAF", false},     // overlong
      {"\xED\xA0\x80", false},     // a surrogate
      {"\xF4\x90\x80\x80", false}, // above U+10FFFF
      {"\xE2\x82", false},         // cut short
      {"\x80", false},             // a lone continuation byte
  };
  for (const auto& [bytes, utf8] : cases)
    EXPECT_EQ(IsUtf8(bytes), utf8) << Escaped(bytes);
}

TEST(CsvText, CellsWrittenReadBackAsTheyWere) {
  const std::vector<std::string> cells = {"plain", "a,b",        "a;b",  "say \"hi\"", " lead", "trail\t",
                                          "",      "two\nlines", "cr\r", "\"",         "x\"y",  "mid dle"};
  for (char separator : {',', ';'}) {
    std::string line = JoinCells(cells, separator);
    Document document = ParseCsv(line + "\r\n" + line, Encoding::kUtf8);
    EXPECT_EQ(document.separator, separator);
    ASSERT_EQ(document.records.size(), 2u) << line;
    EXPECT_EQ(document.records[0].cells, cells);
    EXPECT_EQ(document.records[1].cells, cells);
  }
  EXPECT_EQ(QuoteCell("a;b", ','), "a;b");
  EXPECT_EQ(QuoteCell("say \"hi\"", ';'), "\"say \"\"hi\"\"\"");
}

TEST(CsvMembers, ParsesEachFormOfItem) {
  struct Case {
    const char* cell;
    const char* formatted; // how FormatMembers writes what was read; null for a fault
    const char* problem;
  };
  const Case cases[] = {
      {" Alice ; Bob:primary ;; #0012 :secondary ;", "Alice;Bob:primary;#0012:secondary", ""},
      {"Ratio: 1;Ratio:primary;a:Primary", "Ratio: 1;Ratio:primary;a:Primary", ""},
      {"\"a;b \"\"c\"\"\" :secondary", "\"a;b \"\"c\"\"\":secondary", ""},
      {"\"x:primary\";\"#5\";\"\";\" pad \"", "\"x:primary\";\"#5\";\"\";\" pad \"", ""},
      {"Bob \"Bo\" Smith", "\"Bob \"\"Bo\"\" Smith\"", ""},
      {"A;\"Bob", nullptr, "the quote before 'Bob' is not closed"},
      {"\"Bob\" Smith", nullptr, "'Smith' after the quoted name 'Bob'"},
      {"\"Bob\":third", nullptr, "unknown number choice ':third' (:primary or :secondary)"},
      {"#12a", nullptr, "'#12a' is not '#' followed by digits"},
      {"#:primary", nullptr, "'#:primary' is not '#' followed by digits"},
      {" :secondary", nullptr, "':secondary' names no member"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    std::vector<MemberRef> members;
    std::string problem;
    EXPECT_EQ(ParseMembers(c.cell, &members, &problem), c.formatted != nullptr);
    EXPECT_EQ(problem, c.problem);
    if (c.formatted) {
      EXPECT_EQ(FormatMembers(members), c.formatted);
    }
  }
}

TEST(CsvMembers, EveryListWrittenReadsBackTheSame) {
  std::vector<MemberRef> list;
  const char* names[] = {"plain",           " lead",    "trail\t",   "a;b",         "q\"uote",
                         "#hash",           "",         "x:primary", "x:secondary", "x :primary",
                         "mid:primary end", "colon: 1", "'single'"};
  unsigned numbers = 0;
  for (const char* name : names)
    list.push_back({name, "", numbers++ % 3});
  list.push_back({"", "42", 1});
  std::string cell = FormatMembers(list);
  std::vector<MemberRef> read;
  std::string problem;
  ASSERT_TRUE(ParseMembers(cell, &read, &problem)) << cell << ": " << problem;
  ASSERT_EQ(read.size(), list.size()) << cell;
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(read[i].name, list[i].name) << cell;
    EXPECT_EQ(read[i].id, list[i].id);
    EXPECT_EQ(read[i].numbers, list[i].numbers) << read[i].name;
  }
  EXPECT_EQ(FormatMembers(read), cell);
}

// A book as its problems ("!line"), warnings ("?line") and rows ("line P|G id 'name' members").
std::string Shown(const Book& book) {
  std::string out;
  for (const Problem& problem : book.problems)
    out += Noted('!', problem);
  for (const Problem& warning : book.warnings)
    out += Noted('?', warning);
  for (const BookRow& row : book.rows)
    out += std::to_string(row.line) + (row.group ? " G " : " P ") + row.id + " '" + row.name + "' " +
           FormatMembers(row.members) + "\n";
  return out;
}

TEST(CsvBook, ReadsRowsAndReportsEachFault) {
  struct Case {
    const char* what;
    const char* csv;
    const char* shown;
  };
  const Case cases[] = {
      {"headings by any alias; names composed without middle name or company; blank rows skipped",
       "Type,ID,Display_Name,PREFIX,given-name,Middle Name,SURNAME,Suffix,Company,Nickname\n"
       " Person ,1, ,Dr,Jean,Paul,Dupont,Jr,Orvex,JD\n,,, ,,,,,,\nGROUPE,2,Team,,,,,,,\n,,,,,,,,Acme,\n",
       "?1 column 'Nickname' is not known and is ignored\n2 P 1 'Dr Jean Dupont Jr' \n4 G 2 'Team' \n5 P  '' \n"},
      {"widths and types", "type,name\nperson,A,x\nrobot,R\nperson,\"B\"\nperson\n",
       "!2 3 columns instead of 2\n!3 unknown type 'robot' (person or group)\n!5 1 columns instead of 2\n4 P  'B' \n"},
      {"members", "type,id,name,members\ngroup,1,G,#2;A:primary\nperson,2,A,\nperson,3,B,A\ngroup,,H,\"\"\"x\"\n",
       "!4 a person has no members\n!5 members: the quote before 'x' is not closed\n2 G 1 'G' #2;A:primary\n"
       "3 P 2 'A' \n"},
      {"ids", "id,name,type,members\n1,A,,\n1,B,,\n,G,group,#9\n",
       "!3 id '1' is already used on line 2\n!4 members: no row has id '9'\n2 P 1 'A' \n"},
      {"an id member without an id column", "type,name,members\ngroup,G,#1\n", "!2 members: '#1' needs an id column\n"},
      {"the parser's problems among the book's, by line", "name,fax\n\"A\",\"1\nB,2,3\n",
       "!2 quote opened on line 2 is not closed\n!3 3 columns instead of 2\n"},
      {"a heading naming a field twice reads no rows", "name,Display Name\nA,B\n",
       "!1 columns 'name' and 'Display Name' are the same column\n"},
      {"an unnamed column", "name,\nA,\n", "?1 column 2 has no heading and is ignored\n2 P  'A' \n"},
      {"an empty file", "", "!1 no heading line\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Shown(ReadBook(ParseCsv(c.csv))), c.shown);
  }
  Book none = ReadBook(ParseCsv("type,id,members\n,1,\n"));
  ASSERT_EQ(none.problems.size(), 1u);
  EXPECT_EQ(none.problems[0].text.rfind("no column names a field (known columns: type, id, name, ", 0), 0u);
  EXPECT_TRUE(none.rows.empty());
}

TEST(CsvBook, ValuesAreTrimmedCutAtNulAndKeptInHeadingOrder) {
  Book book = ReadBook(ParseCsv("fax, Fax Desc ,Keyword,name,x\n\" 01\0cut\",Work,\t, Ann ,y\n"s));
  ASSERT_EQ(book.rows.size(), 1u);
  EXPECT_EQ(book.rows[0].name, "Ann");
  using Fields = std::vector<std::pair<Column, std::string>>;
  EXPECT_EQ(book.rows[0].fields,
            (Fields{{Column::kFax, "01"}, {Column::kFaxDescription, "Work"}, {Column::kName, "Ann"}}));
  EXPECT_EQ(ColumnOf("Fax-2_DESC"), Column::kFax2Description);
  EXPECT_EQ(ColumnOf("faxes"), Column::kUnknown);
}

} // namespace
