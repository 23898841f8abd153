// The Linux platform layer's resources: strings and named resources read from the compiled resource
// file beside a module, as Windows reads them from the module itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace {

TEST(Resources, LoadStringConvertsToTheAnsiCodePage) {
  char buffer[64];
  ASSERT_EQ(LoadStringA(nullptr, 10, buffer, sizeof buffer), 19);
  EXPECT_STREQ(buffer, "Pilote de t\xE9l\xE9"
                       "copie");
  EXPECT_EQ(LoadStringA(nullptr, 17, buffer, sizeof buffer), 13) << "a string of another block";
  EXPECT_EQ(LoadStringA(nullptr, 95, buffer, sizeof buffer), 12);
  EXPECT_STREQ(buffer, "ABKPRV01.DLL");
}

TEST(Resources, LoadStringCutsToTheBufferAndAnswersZeroForNothing) {
  char buffer[8];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(LoadStringA(nullptr, 10, buffer, 6), 5);
  EXPECT_STREQ(buffer, "Pilot");
  EXPECT_EQ(buffer[6], 'x') << "nothing written past the buffer";
  EXPECT_EQ(LoadStringA(nullptr, 11, buffer, sizeof buffer), 0) << "an empty string";
  EXPECT_EQ(LoadStringA(nullptr, 12, buffer, sizeof buffer), 0) << "no such string";
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(LoadStringA(nullptr, 4000, buffer, sizeof buffer), 0) << "no such block";
  EXPECT_EQ(LoadStringA(nullptr, 10, buffer, 0), 0);
}

TEST(Resources, NamedResourcesAreFoundWithoutRegardToCase) {
  HRSRC found = FindResourceA(nullptr, "SAMPLE", MAKEINTRESOURCEA(10));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(FindResourceA(nullptr, "sample", MAKEINTRESOURCEA(10)), found);
  EXPECT_EQ(SizeofResource(nullptr, found), 4u);
  EXPECT_STREQ(static_cast<const char*>(LockResource(LoadResource(nullptr, found))), "abc");
  EXPECT_EQ(FindResourceA(nullptr, "Other", MAKEINTRESOURCEA(10)), nullptr);
}

} // namespace
