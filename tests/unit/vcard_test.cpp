// vCard files: cards as people's programs and phones write them read into the book's rows, each fault at
// its line, and rows written as cards that read back to the same rows and bytes.
#include <gtest/gtest.h>

#include "vcard/vcard_book.h"

using namespace abk::csv;
using abk::vcard::ReadCards;
using abk::vcard::Version;
using abk::vcard::WriteCards;

namespace {

// A book as "!line problem", "?line warning", then "line P|G id 'name' heading=value|... members" a row;
// values as they are, line breaks and all.
std::string Shown(const Book& book) {
  std::string out;
  for (const Problem& problem : book.problems)
    out += "!" + std::to_string(problem.line) + " " + problem.text + "\n";
  for (const Problem& warning : book.warnings)
    out += "?" + std::to_string(warning.line) + " " + warning.text + "\n";
  for (const BookRow& row : book.rows) {
    out += std::to_string(row.line) + (row.group ? " G " : " P ") + row.id + " '" + row.name + "'";
    for (size_t i = 0; i < row.fields.size(); ++i)
      out.append(i ? "|" : " ").append(HeadingOf(row.fields[i].first)).append("=").append(row.fields[i].second);
    out += " " + FormatMembers(row.members) + "\n";
  }
  return out;
}

// Lines joined with CRLF, as most writers end them.
std::string Crlf(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines)
    text += std::string(line) + "\r\n";
  return text;
}

// A file and the book it reads as.
struct ReadCase {
  const char* what;
  std::string vcf;
  const char* shown;
};

void ExpectEachShown(const std::vector<ReadCase>& cases) {
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Shown(ReadCards(c.vcf)), c.shown);
  }
}

TEST(VcardRead, ReadsCardsAsTheirWritersWriteThem) {
  ExpectEachShown({
      {"4.0: folds (one inside a UTF-8 character), a quoted type list, a tel: URI, escapes",
       Crlf({"BEGIN:VCARD", "VERSION:4.0", "KIND:individual", "UID:urn:uuid:1", "FN:Jean Dupont\\, fils",
             "N:Dupont;Jean;Paul;Dr;", "ORG:Dupont\\; Fils;Comptabilit\xC3", " \xA9;Paie",
             "TEL;VALUE=uri;TYPE=\"fax,work\":tel:01-4", "\t0-00", "TEL;TYPE=\"voice,home\":tel:0600",
             "NOTE:un\\ndeux\\\\trois\\;\\,", "END:VCARD"}),
       "?11 ignored, as the book has no place for them: TEL (not fax)\n"
       "1 P 1 'Jean Dupont, fils' name=Jean Dupont, fils|prefix=Dr|first=Jean|middle=Paul|last=Dupont|"
       "company=Dupont; Fils|department=Comptabilité, Paie|fax=01-40-00|keyword=un\r\ndeux\\trois;, \n"},
      {"3.0: TYPE=FAX;TYPE=HOME before a work fax, an untyped fax in the free place, LF line ends",
       "BEGIN:VCARD\nVERSION:3.0\nFN:A\nTEL;TYPE=FAX;TYPE=HOME:0102\nitem1.TEL;type=fax,work:0304\nEND:VCARD\n"
       "BEGIN:VCARD\nVERSION:3.0\nFN:B\nTEL;TYPE=fax:0506\nTEL;TYPE=HOME,FAX:0708\nEND:VCARD\n",
       "1 P  'A' name=A|fax=0304|fax2=0102 \n7 P  'B' name=B|fax=0506|fax2=0708 \n"},
      {"2.1: quoted-printable in ISO-8859-1 and UTF-8 with soft line breaks, bare types, only \\; escaped",
       Crlf({"BEGIN:VCARD", "VERSION:2.1", "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Dupr=E9;H=E9lo=EFse",
             "FN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:H=E9lo=EFse Dupr=E9 =80",
             "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Premi=C3=A8re=0D=0A=", "Seconde tr=C3=", "=A8s=", " longue",
             "ORG:Atelier\\;Nord;Sud\\,Est", "TEL;FAX;WORK:0140000000", "TEL;HOME;FAX:0610", "END:VCARD"}),
       "1 P  'Héloïse Dupré €' name=Héloïse Dupré €|first=Héloïse|last=Dupré|company=Atelier;Nord|"
       "department=Sud\\,Est|fax=0140000000|fax2=0610|keyword=Première\r\nSeconde très longue \n"},
      {"a phone's card: what the book has no place for is named in one warning",
       Crlf({"BEGIN:VCARD", "VERSION:2.1", "N:Morel;Cl\xC3\xA9mence;;;", "FN:Cl\xC3\xA9mence Morel",
             "TEL;CELL;PREF:+33 6 12 34 56 78", "TEL;WORK;FAX:01-43-21-39-87", "EMAIL;HOME:clemence@example.fr",
             "ADR;WORK:;;1 rue du Port;Brest;;29200;France", "PHOTO;ENCODING=BASE64;JPEG:/9j/4AAQSkZJRgABAQAAAQAB",
             "  /2wBDAAMCAgICAgMCAgIDAwMDBAYEBAQEBAgGBgUGBwkHBwcH", "", "BDAY:1980-04-01", "EMAIL;WORK:cm@example.fr",
             "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Clem;1;;;;;;;;;;;;;", "END:VCARD"}),
       "?5 ignored, as the book has no place for them: TEL (not fax), EMAIL, ADR, PHOTO, BDAY, X-ANDROID-CUSTOM\n"
       "1 P  'Clémence Morel' name=Clémence Morel|first=Clémence|last=Morel|fax=01-43-21-39-87 \n"},
      {"groups in 4.0 and 3.0 forms; UIDs with and without urn:uuid:; fax choices; a group's N ignored",
       Crlf({"BEGIN:VCARD",
             "VERSION:4.0",
             "KIND:group",
             "FN:\xC3\x89quipe",
             "NOTE:nuit",
             "MEMBER;X-ABK-FAX=secondary:urn:uuid:a1",
             "MEMBER;X-ABK-FAX=\"primary,Secondary\":urn:uuid:b2",
             "MEMBER:urn:uuid:g3",
             "END:VCARD",
             "BEGIN:VCARD",
             "VERSION:3.0",
             "UID:a1",
             "FN:A",
             "TEL;TYPE=fax:1",
             "END:VCARD",
             "BEGIN:VCARD",
             "UID:urn:uuid:b2",
             "N:Bé;Bob;;;",
             "TEL;TYPE=fax:2",
             "END:VCARD",
             "BEGIN:VCARD",
             "VERSION:3.0",
             "X-ADDRESSBOOKSERVER-KIND:group",
             "N:Sous;;;;",
             "FN:Sous",
             "UID:g3",
             "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:a1",
             "END:VCARD"}),
       "1 G  'Équipe' name=Équipe|keyword=nuit #a1:secondary;#b2:primary;#b2:secondary;#g3\n"
       "10 P a1 'A' name=A|fax=1 \n16 P b2 'Bob Bé' first=Bob|last=Bé|fax=2 \n21 G g3 'Sous' name=Sous #a1\n"},
      {"no CHARSET and not UTF-8: Windows-1252, said once",
       "BEGIN:VCARD\r\nFN:Zo\xE9\r\nTEL;TYPE=fax:1\r\nNOTE:\x80\r\nEND:VCARD\r\n",
       "?2 not UTF-8 and no CHARSET; read as Windows-1252 from here on\n1 P  'Zoé' name=Zoé|fax=1|keyword=€ \n"},
  });
}

TEST(VcardRead, ReportsEachFaultAtItsLine) {
  ExpectEachShown({
      {"a card without END, and one begun inside another",
       Crlf({"BEGIN:VCARD", "FN:A", "BEGIN:vcard", "FN:B", "TEL;TYPE=fax:1", "END:VCARD", "BEGIN:VCARD", "FN:C"}),
       "!1 the card has no END:VCARD\n!7 the card has no END:VCARD\n3 P  'B' name=B|fax=1 \n"},
      {"encodings and charsets it does not know, and bytes that break them",
       Crlf({"BEGIN:VCARD", "VERSION:2.1", "FN;ENCODING=BASE64:SGVsbG8=", "N;ENCODING=QUOTED-PRINTABLE:Dupr=G9",
             "ORG;CHARSET=SHIFT_JIS:x", "NOTE;CHARSET=UTF-8:\xE9t\xE9", "TEL;FAX;QUOTED-PRINTABLE:01=2", "END:VCARD"}),
       "!3 FN: unknown encoding 'BASE64' (quoted-printable, 7bit or 8bit)\n!4 N: bad quoted-printable at '=G9'\n"
       "!5 ORG: unknown charset 'SHIFT_JIS' (UTF-8, ISO-8859-1 or Windows-1252)\n"
       "!6 NOTE: not UTF-8 as its CHARSET says\n!7 TEL: bad quoted-printable at '=2'\n"},
      {"lines outside cards, a version, three faxes, a repeated UID, members of a person, a member of no card",
       Crlf({"no colon",
             "NOTE:stray",
             "BEGIN:VCARD",
             "VERSION:5.0",
             "END:VCARD",
             "BEGIN:VCARD",
             "UID:x",
             "FN:Trois",
             "TEL;TYPE=fax,work:1",
             "TEL;TYPE=fax,home:2",
             "TEL;TYPE=fax:3",
             "END:VCARD",
             "BEGIN:VCARD",
             "UID:x",
             "FN:P",
             "TEL;TYPE=fax:4",
             "MEMBER:urn:uuid:x",
             "END:VCARD",
             "BEGIN:VCARD",
             "KIND:group",
             "FN:G",
             "MEMBER;X-ABK-FAX=third:urn:uuid:x",
             "END:VCARD",
             "BEGIN:VCARD",
             "KIND:group",
             "FN:H",
             "MEMBER:urn:uuid:nobody",
             "END:VCARD"}),
       "!1 not a vCard line (NAME:value)\n!2 outside a card (BEGIN:VCARD to END:VCARD)\n"
       "!4 unknown vCard version '5.0' (2.1, 3.0 or 4.0)\n"
       "!11 a third fax number ('3'); the book keeps two for each person\n"
       "!13 UID 'x' is already used by the card on line 6\n"
       "!17 a person has no members (the card has no KIND:group)\n"
       "!22 MEMBER: unknown fax choice 'third' (primary or secondary)\n"
       "!27 member 'urn:uuid:nobody' names no card of the file\n"},
      {"an empty file", "\r\n", "!1 no card in the file\n"},
  });
}

// A book with every column, names that need escapes and folding, two persons of one name and groups that
// hold persons by either number and a group.
Book SampleBook() {
  Book book;
  auto person = [&](const std::string& name, std::vector<std::pair<Column, std::string>> fields) {
    BookRow row;
    row.id = std::to_string(book.rows.size() + 1);
    row.name = name;
    row.fields = std::move(fields);
    book.rows.push_back(row);
  };
  std::string longName = "Établissements Frédéric Châtelain, Société Générale des Fromages; Comptabilité";
  person("Héloïse Dupré", {{Column::kName, "Héloïse Dupré"},
                           {Column::kPrefix, "Mme"},
                           {Column::kFirst, "Héloïse"},
                           {Column::kMiddle, "Anne"},
                           {Column::kLast, "Dupré"},
                           {Column::kSuffix, "Jr"},
                           {Column::kCompany, "Dupont, Fils; et Cie"},
                           {Column::kDepartment, "Paie"},
                           {Column::kFax, "0140000000"},
                           {Column::kFaxDescription, "Bureau"},
                           {Column::kFaxExtra1, "e1"},
                           {Column::kFaxExtra3, "e3"},
                           {Column::kFax2, "06,10#"},
                           {Column::kFax2Description, "Domicile"},
                           {Column::kFax2Extra2, "f2"},
                           {Column::kKeyword, "client \"or\"\r\nsecond line \\ end"}});
  person(longName, {{Column::kName, longName}, {Column::kFax2, "0499"}});
  person("Bob", {{Column::kName, "Bob"}, {Column::kFax, "1"}});
  person("Bob", {{Column::kName, "Bob"}, {Column::kDepartment, "Achats"}, {Column::kFax, "2"}});
  BookRow team;
  team.group = true;
  team.id = "5";
  team.name = "Équipe";
  team.fields = {{Column::kName, "Équipe"}, {Column::kKeyword, "nuit"}};
  team.members = {{"", "1", 1}, {"", "1", 2}, {"", "2", 2}, {"", "4", 1}};
  book.rows.push_back(team);
  BookRow all = team;
  all.id = "6";
  all.name = "Tous";
  all.fields = {{Column::kName, "Tous"}};
  all.members = {{"", "5", 0}, {"", "3", 1}};
  book.rows.push_back(all);
  return book;
}

// The text without its folds.
std::string Unfolded(std::string text) {
  for (size_t at; (at = text.find("\r\n ")) != std::string::npos;)
    text.erase(at, 3);
  return text;
}

TEST(VcardWrite, WritesEveryColumnAsTheGoldenFile) {
  std::string text = WriteCards(SampleBook(), Version::kVersion4);
  std::string first = text.substr(0, text.find("END:VCARD") + 11);
  EXPECT_EQ(first, Crlf({"BEGIN:VCARD", "VERSION:4.0", "UID:urn:uuid:229a7889-21fb-8988-bba4-c6087b59bd47",
                         "FN:Héloïse Dupré", "N:Dupré;Héloïse;Anne;Mme;Jr", "ORG:Dupont\\, Fils\\; et Cie;Paie",
                         "TEL;TYPE=fax,work:0140000000", "X-ABK-FAX-DESCRIPTION:Bureau", "X-ABK-FAX-EXTRA1:e1",
                         "X-ABK-FAX-EXTRA3:e3", "TEL;TYPE=fax,home:06\\,10#", "X-ABK-FAX2-DESCRIPTION:Domicile",
                         "X-ABK-FAX2-EXTRA2:f2", "NOTE:client \"or\"\\nsecond line \\\\ end", "END:VCARD"}));
  EXPECT_NE(text.find("\r\nFN:Établissements Frédéric Châtelain\\, Société Générale des Fromage\r\n"
                      " s\\; Comptabilité\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\nORG:;Achats\r\n"), std::string::npos);
  EXPECT_NE(Unfolded(text).find("\r\nKIND:group\r\nUID:urn:uuid:"), std::string::npos);
  EXPECT_NE(Unfolded(text).find("\r\nMEMBER;X-ABK-FAX=primary,secondary:urn:uuid:229a7889-21fb-8988-bba4-"
                                "c6087b59bd47\r\n"),
            std::string::npos);
  std::string three = Unfolded(WriteCards(SampleBook(), Version::kVersion3));
  EXPECT_NE(three.find("VERSION:3.0\r\nUID:229a7889-21fb-8988-bba4-c6087b59bd47\r\n"), std::string::npos);
  EXPECT_NE(three.find("\r\nX-ADDRESSBOOKSERVER-KIND:group\r\n"), std::string::npos);
  EXPECT_NE(three.find("\r\nX-ADDRESSBOOKSERVER-MEMBER;X-ABK-FAX=primary:urn:uuid:"), std::string::npos);
  EXPECT_NE(three.find("\r\nFN:Tous\r\nN:Tous;;;;\r\n"), std::string::npos); // 3.0 wants N on every card
  EXPECT_NE(three.find("\r\nFN:Bob\r\nN:;;;;\r\n"), std::string::npos);
}

TEST(VcardWrite, LinesAreFoldedAt75OctetsBetweenCharacters) {
  Book book;
  BookRow row;
  row.id = "1";
  for (int i = 0; i < 100; ++i)
    row.name += i % 3 ? "é" : "€x";
  row.fields = {{Column::kName, row.name}, {Column::kFax, "1"}};
  book.rows.push_back(row);
  std::string text = WriteCards(book, Version::kVersion4);
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    std::string line = text.substr(start, end - start);
    EXPECT_LE(line.size(), 75u) << line;
    size_t first = line[0] == ' ' ? 1 : 0;
    EXPECT_NE(static_cast<unsigned char>(line[first]) & 0xC0, 0x80) << "a fold inside a character: " << line;
  }
  EXPECT_EQ(ReadCards(text).rows.at(0).name, row.name);
}

TEST(VcardWrite, RowsReadBackTheSameAndWriteTheSameBytes) {
  Book book = SampleBook();
  for (Version version : {Version::kVersion3, Version::kVersion4}) {
    std::string text = WriteCards(book, version);
    Book read = ReadCards(text);
    EXPECT_EQ(Shown(read).find_first_of("!?"), std::string::npos) << Shown(read);
    ASSERT_EQ(read.rows.size(), book.rows.size());
    for (size_t i = 0; i < book.rows.size(); ++i) {
      EXPECT_EQ(read.rows[i].name, book.rows[i].name);
      EXPECT_EQ(read.rows[i].group, book.rows[i].group);
      EXPECT_EQ(read.rows[i].fields, book.rows[i].fields) << book.rows[i].name;
      ASSERT_EQ(read.rows[i].members.size(), book.rows[i].members.size());
      for (size_t m = 0; m < book.rows[i].members.size(); ++m) {
        const MemberRef& member = book.rows[i].members[m];
        EXPECT_EQ(read.rows[i].members[m].id, read.rows[std::stoul(member.id) - 1].id);
        EXPECT_EQ(read.rows[i].members[m].numbers, member.numbers);
      }
    }
    EXPECT_EQ(WriteCards(read, version), text);
  }
}

} // namespace
