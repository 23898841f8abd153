// CnvAddressBook: a CSV book beside the default book is taken in once and whole, then kept aside.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "store_api.h"

using namespace storetest;

namespace {

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
  // UTF-8 with its mark, semicolons, CR LF, quotes, a row without a display name and an empty row.
  const std::string csv = "\xEF\xBB\xBFType;Display name;Given name;Surname;Company;Fax;Members\r\n"
                          ";Alice Martin;Alice;Martin;Orvex;+33 1 40 00 00 01;\r\n"
                          "person;;Zo\xC3\xA9;Durand;;\"+33 1 40 00 00 02\";\r\n"
                          "\r\n"
                          "group;\"Sales; \"\"north\"\"\";;;;;\"Alice Martin; Zo\xC3\xA9 Durand;Nobody\"\r\n";
  WriteText("default.csv", csv);
  ULONG word = 0;
  EXPECT_EQ(Api().convert(&word), 3u);
  EXPECT_EQ(word, 0u);
  EXPECT_FALSE(Exists(Abk() + "default.csv"));
  EXPECT_EQ(ReadBytes(Abk() + "default.csv.imported"), std::vector<BYTE>(csv.begin(), csv.end()));

  Book book(std::string{});
  EXPECT_EQ(book.Ids(), (std::vector<ULONG>{1, 2, 3, 0x80000001}));
  EXPECT_EQ(book.Get(2), Records()
                             .Field(0x1, "Alice Martin")
                             .Field(0x3, "Alice")
                             .Field(0x5, "Martin")
                             .Field(0x200, "Orvex")
                             .Field(0x210, "+33 1 40 00 00 01")
                             .bytes);
  if (GetACP() == 1252) {
    EXPECT_EQ(book.Get(3), Records()
                               .Field(0x1, "Zo\xE9 Durand")
                               .Field(0x3, "Zo\xE9")
                               .Field(0x5, "Durand")
                               .Field(0x210, "+33 1 40 00 00 02")
                               .bytes);
  }
  EXPECT_EQ(book.Get(0x80000001), Records().Field(0x1, "Sales; \"north\"").Member(2, 3).Member(3, 3).bytes);

  // Again: nothing left to convert. The same file put back is known and only moved aside.
  EXPECT_EQ(Api().convert(&word), 0u);
  WriteText("default.csv", csv);
  EXPECT_EQ(Api().convert(&word), 0u);
  EXPECT_EQ(word, 0u);
  EXPECT_TRUE(Exists(Abk() + "default.csv.imported.2"));
  EXPECT_EQ(Book(std::string{}).Ids(), (std::vector<ULONG>{1, 2, 3, 0x80000001}));
}

TEST_F(StoreImport, ACsvThatIsNoBookIsLeftWhereItIs) {
  WriteText("default.csv", "just,some\ntext,here\n");
  ULONG word = 0;
  EXPECT_EQ(Api().convert(&word), 0u);
  EXPECT_EQ(word, STORE_STATUS_FILE_ERROR);
  EXPECT_TRUE(Exists(Abk() + "default.csv"));
  EXPECT_FALSE(Exists(Abk() + "default.adr"));
}

} // namespace
