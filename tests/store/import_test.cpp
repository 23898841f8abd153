// CnvAddressBook: a CSV book beside the default book is taken in once and whole, then kept aside.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "store_api.h"

using namespace storetest;

namespace {

// A group holding one group of 200 persons and 100 persons more, each by one number: 101 member-list
// entries, but 300 individual entries.
std::string BigNestedGroup() {
  std::string text = "type,name,members\n";
  std::string inner, outer = "Inner";
  for (int i = 0; i < 300; ++i) {
    std::string name = std::string("P").append(std::to_string(i));
    text.append("person,").append(name).append(",\n");
    std::string& list = i < 200 ? inner : outer;
    if (!list.empty()) list.append(";");
    list.append(name).append(":primary");
  }
  return text.append("group,Inner,\"").append(inner).append("\"\ngroup,Outer,\"").append(outer).append("\"\n");
}

class StoreImport : public ::testing::Test {
protected:
  StoreImport() { std::filesystem::create_directories(Abk()); }

  std::string Abk() const {
#ifdef _WIN32
    return folder.Path("data") + "\\abk\\";
#else
    return folder.Path("data") + "/abk/";
#endif
  }

  void WriteText(const std::string& name, const std::string& text) {
    WriteBytes(Abk() + name, std::vector<BYTE>(text.begin(), text.end()));
  }

  TempFolder folder;
#ifdef _WIN32
  ScopedEnv data{"APPDATA", folder.Path("data").c_str()};
#else
  ScopedEnv data{"XDG_DATA_HOME", folder.Path("data").c_str()};
#endif
};

TEST_F(StoreImport, NothingToConvertGivesZeroAndMakesNothing) {
  ULONG word = 0;
  EXPECT_EQ(Api().convert(&word), 0u);
  EXPECT_EQ(word, 0u);
  EXPECT_FALSE(Exists(Abk() + "default.adr"));
}

TEST_F(StoreImport, ACsvBookIsTakenInOnceAndKeptAside) {
  {
    Book book(std::string{});
    ASSERT_EQ(book.NewPerson(Records().Field(0x1, "Already here")), 1u);
  }
  // UTF-8 with its mark, semicolons, CR LF, quotes, a row named by its parts, an empty row, members by id and
  // by name with and without a number chosen, and a group named before the row that makes it.
  const std::string csv = "\xEF\xBB\xBFType;ID;Display name;Given name;Middle name;Surname;Company;Fax;Members\r\n"
                          ";7;Alice Martin;Alice;;Martin;Orvex;+33 1 40 00 00 01;\r\n"
                          "person;;;Zo\xC3\xA9;Anne;Durand;;\"+33 1 40 00 00 02\";\r\n"
                          "\r\n"
                          "group;;\"Sales; \"\"north\"\"\";;;;;;\"#7:secondary; Zo\xC3\xA9 Durand;Board\"\r\n"
                          "Groupe;;Board;;;;;;Alice Martin:primary\r\n";
  WriteText("default.csv", csv);
  ULONG word = 0;
  EXPECT_EQ(Api().convert(&word), 4u);
  EXPECT_EQ(word, 0u);
  EXPECT_FALSE(Exists(Abk() + "default.csv"));
  EXPECT_EQ(ReadBytes(Abk() + "default.csv.imported"), std::vector<BYTE>(csv.begin(), csv.end()));

  Book book(std::string{});
  EXPECT_EQ(book.Ids(), (std::vector<ULONG>{1, 2, 3, 0x80000001, 0x80000002}));
  EXPECT_EQ(book.Get(2), Records()
                             .Field(0x1, "Alice Martin")
                             .Field(0x3, "Alice")
                             .Field(0x5, "Martin")
                             .Field(0x200, "Orvex")
                             .Field(0x210, "+33 1 40 00 00 01")
                             .bytes);
  if (GetACP() == 1252) {
    // The name is composed without the middle name, as the person dialog composes it.
    EXPECT_EQ(book.Get(3), Records()
                               .Field(0x1, "Zo\xE9 Durand")
                               .Field(0x3, "Zo\xE9")
                               .Field(0x4, "Anne")
                               .Field(0x5, "Durand")
                               .Field(0x210, "+33 1 40 00 00 02")
                               .bytes);
  }
  EXPECT_EQ(book.Get(0x80000001),
            Records().Field(0x1, "Sales; \"north\"").Member(2, 2).Member(3, 3).Member(0x80000002, 0).bytes);
  EXPECT_EQ(book.Get(0x80000002), Records().Field(0x1, "Board").Member(2, 1).bytes);

  // Again: nothing left to convert. The same file put back is known and only moved aside.
  EXPECT_EQ(Api().convert(&word), 0u);
  WriteText("default.csv", csv);
  EXPECT_EQ(Api().convert(&word), 0u);
  EXPECT_EQ(word, 0u);
  EXPECT_TRUE(Exists(Abk() + "default.csv.imported.2"));
  EXPECT_EQ(Book(std::string{}).Ids(), (std::vector<ULONG>{1, 2, 3, 0x80000001, 0x80000002}));
}

// UTF-8 without its mark used to be taken as ANSI, garbling every accent.
TEST_F(StoreImport, EitherEncodingGivesTheSameValues) {
  if (GetACP() != 1252) GTEST_SKIP() << "values compared in code page 1252";
  ULONG id = 0;
  for (const char* csv : {"name\nZo\xC3\xA9\n", "name\nZo\xE9\n"}) {
    SCOPED_TRACE(csv);
    WriteText("default.csv", csv);
    ULONG word = 0;
    EXPECT_EQ(Api().convert(&word), 1u);
    EXPECT_EQ(Book(std::string{}).Get(++id), Records().Field(0x1, "Zo\xE9").bytes);
  }
}

// Anything the file says that cannot be taken in as written keeps the whole file out: nothing is written
// and the file stays where it is for its owner to correct.
TEST_F(StoreImport, AFileWithAnyProblemIsRefusedWhole) {
  struct Case {
    const char* what;
    std::string csv;
    bool in1252 = false; // the case holds only where the ANSI code page is 1252
  };
  const Case cases[] = {
      {"no column names a field", "just,some\ntext,here\n"},
      {"an unclosed quote", "name,fax\nA,\"1\nB,2\n"},
      {"a row of another width", "name,fax\nA,1\nB,2,3\n"},
      {"an unknown type", "type,name\nperson,A\nrobot,R2\n"},
      {"a row without a name", "name,company\nA,\n,Orvex\n"},
      {"a member no row is named", "type,name,members\nperson,A,\ngroup,G,A;Nobody\n"},
      {"a member several rows are named", "type,name,members\nperson,A,\nperson,A,\ngroup,G,A\n"},
      {"a group its own member", "type,name,members\nperson,A,\ngroup,G,A;G\n"},
      {"a member named twice", "type,id,name,members\nperson,1,A,\ngroup,2,G,A:primary;#1\n"},
      {"a member list that does not parse", "type,name,members\nperson,A,\ngroup,G,A;#x\n"},
      {"members of a person", "type,name,members\nperson,A,\nperson,B,A\n"},
      {"a repeated id", "id,name\n1,A\n1,B\n"},
      {"a value longer than a field", std::string("name,company\nA,").append(256, 'x').append("\n")},
      {"a cycle of groups", "type,name,members\nperson,A,\ngroup,G,H;A\ngroup,H,G\n"},
      {"more than 256 individual entries through a nested group", BigNestedGroup()},
      {"a character the code page lacks", "name\nA\n\xE4\xB8\xAD\n", true},
  };
  ASSERT_EQ(Book(std::string{}).NewPerson(Records().Field(0x1, "Already here")), 1u);
  Snapshot before = Book(std::string{}).Read();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.in1252 && GetACP() != 1252) continue;
    WriteText("default.csv", c.csv);
    ULONG word = 0;
    EXPECT_EQ(Api().convert(&word), 0u);
    EXPECT_EQ(word, STORE_STATUS_FILE_ERROR);
    EXPECT_EQ(ReadBytes(Abk() + "default.csv"), std::vector<BYTE>(c.csv.begin(), c.csv.end()));
    EXPECT_FALSE(Exists(Abk() + "default.csv.imported"));
    EXPECT_EQ(Book(std::string{}).Read(), before);
  }
}

} // namespace
