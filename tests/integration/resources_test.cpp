// The provider's own strings and dialog templates, loaded through its instance handle as the dialogs
// load them: from the DLL on Windows, from the compiled resource file beside the module on Linux.
#include "support/provider_fixture.h"

namespace {

class ProviderResourcesTest : public abktest::ProviderTest {};

TEST_F(ProviderResourcesTest, StringsComeInTheAnsiCodePage) {
  char text[512];
  ASSERT_EQ(LoadStringA(module.Instance(), 10, text, sizeof text), 19);
  EXPECT_STREQ(text, "Pilote de t\xE9l\xE9"
                     "copie");
  ASSERT_GT(LoadStringA(module.Instance(), 95, text, sizeof text), 0);
  EXPECT_STREQ(text, "ABKPRV01.DLL");
  ASSERT_GT(LoadStringA(module.Instance(), 96, text, sizeof text), 0);
  EXPECT_STREQ(text, "ABKHLP01.hlp");
}

TEST_F(ProviderResourcesTest, EveryDialogTemplateIsThere) {
  for (int dialog : {101, 102, 104, 105}) {
    HRSRC found = FindResourceA(module.Instance(), MAKEINTRESOURCEA(dialog), MAKEINTRESOURCEA(5));
    ASSERT_NE(found, nullptr) << dialog;
    const auto* bytes = static_cast<const WORD*>(LockResource(LoadResource(module.Instance(), found)));
    EXPECT_EQ(bytes[0], 1) << "an extended template";
    EXPECT_EQ(bytes[1], 0xFFFF) << dialog;
  }
}

} // namespace
