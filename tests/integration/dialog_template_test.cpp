// The provider's compiled dialog templates, read by the Linux user-interface layer's template parser:
// every control the dialogs are built from, and no read past a damaged template.
#ifndef _WIN32
#include "platform/linux/dialog_template.h"
#include "support/provider_fixture.h"

namespace {

class DialogTemplateTest : public abktest::ProviderTest {
protected:
  std::vector<BYTE> Bytes(int id) {
    HRSRC found = FindResourceA(module.Instance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    EXPECT_NE(found, nullptr);
    if (!found) return {};
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module.Instance(), found)));
    return std::vector<BYTE>(data, data + SizeofResource(module.Instance(), found));
  }
  const abkwin::DialogItemTemplate* Item(const abkwin::DialogTemplate& dialog, DWORD id) {
    for (const auto& item : dialog.items)
      if (item.id == id) return &item;
    return nullptr;
  }
};

TEST_F(DialogTemplateTest, ReadsEveryDialogOfTheProvider) {
  for (int id : {101, 102, 104, 105}) {
    std::vector<BYTE> bytes = Bytes(id);
    abkwin::DialogTemplate dialog;
    ASSERT_TRUE(abkwin::ParseDialogTemplate(bytes.data(), bytes.size(), &dialog)) << id;
    EXPECT_FALSE(dialog.caption.empty()) << id;
    EXPECT_FALSE(dialog.items.empty()) << id;
    EXPECT_EQ(dialog.typeface, "MS Sans Serif") << id;
  }
  std::vector<BYTE> bytes = Bytes(105);
  abkwin::DialogTemplate config;
  ASSERT_TRUE(abkwin::ParseDialogTemplate(bytes.data(), bytes.size(), &config));
  EXPECT_EQ(config.caption, "Ajouter/Modifier le carnet d'adresse du pilote de t\xE9l\xE9"
                            "copie Orvex");

  bytes = Bytes(104);
  abkwin::DialogTemplate group;
  ASSERT_TRUE(abkwin::ParseDialogTemplate(bytes.data(), bytes.size(), &group));
  const abkwin::DialogItemTemplate* list = Item(group, 30402);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->className, "SYSLISTVIEW32");
}

TEST_F(DialogTemplateTest, ADamagedTemplateIsRefusedWithoutReadingPastIt) {
  std::vector<BYTE> bytes = Bytes(102);
  abkwin::DialogTemplate dialog;
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    // A heap block of exactly `cut` bytes: AddressSanitizer reports any read beyond it.
    std::vector<BYTE> shorter(bytes.begin(), bytes.begin() + cut);
    shorter.shrink_to_fit();
    EXPECT_FALSE(abkwin::ParseDialogTemplate(shorter.data(), shorter.size(), &dialog)) << cut;
  }
  bytes[2] = 0; // not an extended template
  EXPECT_FALSE(abkwin::ParseDialogTemplate(bytes.data(), bytes.size(), &dialog));
}

} // namespace
#endif
