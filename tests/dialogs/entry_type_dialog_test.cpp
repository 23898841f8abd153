// The entry type dialog, driven as a user would on the headless layer and on real controls.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "dialogs/dialog_fixture.h"
#include "dialogs/entry_type_dialog.h"
#include "host/picture_check.h"
#include "provider/module_state.h"
#include "resources/resource.h"

namespace abktest {
namespace {

class EntryTypeDialogTest : public DialogTest {
protected:
  // The template identifier the root container offers under a tag.
  std::string RootTemplate(ULONG tag) {
    ULONG type = 0;
    LPUNKNOWN root = nullptr;
    EXPECT_EQ(session->OpenEntry(0, nullptr, nullptr, 0, &type, &root), S_OK);
    if (!root) return {};
    SizedSPropTagArray(1, wanted) = {1, {tag}};
    ULONG count = 0;
    LPSPropValue values = nullptr;
    EXPECT_EQ(static_cast<LPMAPIPROP>(root)->GetProps(reinterpret_cast<LPSPropTagArray>(&wanted), 0, &count, &values),
              S_OK);
    root->Release();
    std::string bytes(reinterpret_cast<char*>(values[0].Value.bin.lpb), values[0].Value.bin.cb);
    abk::FreeBuffer(values);
    return bytes;
  }

  INT_PTR Show(ULONG containerSize = 0, LPENTRYID container = nullptr) {
    params = {session, resources, containerSize, container, 99, reinterpret_cast<LPENTRYID>(&params)};
    return abk::ShowEntryTypeDialog(nullptr, &params);
  }

  std::string Chosen() const {
    return params.templateId ? std::string(reinterpret_cast<char*>(params.templateId), params.templateIdSize) : "";
  }

  void TearDown() override {
    if (params.templateId) abk::FreeBuffer(params.templateId);
    params.templateId = nullptr;
    DialogTest::TearDown();
  }

  abk::EntryTypeDialogParams params = {};
};

TEST_F(EntryTypeDialogTest, OffersPersonThenGroupAndOkAtOnceChoosesThePerson) {
  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) {
    EXPECT_EQ(dialog.Caption(), "Entry Type");
    EXPECT_EQ(dialog.Items(IDC_ENTRY_TYPE_LIST), (std::vector<std::string>{"Contacter", "Liste de distribution"}));
    EXPECT_EQ(dialog.SelectedItems(IDC_ENTRY_TYPE_LIST), std::vector<int>{0});
    EXPECT_EQ(static_cast<ULONG>(dialog.ItemData(IDC_ENTRY_TYPE_LIST, 0)), PR_DEF_CREATE_MAILUSER);
    EXPECT_EQ(static_cast<ULONG>(dialog.ItemData(IDC_ENTRY_TYPE_LIST, 1)), PR_DEF_CREATE_DL);
    dialog.Click(IDOK);
  });
  EXPECT_EQ(Show(), IDOK);
  EXPECT_EQ(driver->DialogsRun(), 1);
  EXPECT_EQ(Chosen(), RootTemplate(PR_DEF_CREATE_MAILUSER));
  EXPECT_EQ(params.templateIdSize, Chosen().size());
}

TEST_F(EntryTypeDialogTest, ChoosingTheDistributionListGivesTheGroupTemplate) {
  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) {
    dialog.SelectItem(IDC_ENTRY_TYPE_LIST, 1);
    dialog.Click(IDOK);
  });
  EXPECT_EQ(Show(), IDOK);
  EXPECT_EQ(Chosen(), RootTemplate(PR_DEF_CREATE_DL));
  EXPECT_NE(Chosen(), RootTemplate(PR_DEF_CREATE_MAILUSER));
}

TEST_F(EntryTypeDialogTest, CancelOrClosingGivesNoTemplate) {
  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) {
    dialog.SelectItem(IDC_ENTRY_TYPE_LIST, 1);
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(Show(), IDCANCEL);
  EXPECT_EQ(params.templateIdSize, 0u);
  EXPECT_EQ(params.templateId, nullptr);

  // A script that leaves the dialog open stands for the user closing it.
  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView&) {});
  EXPECT_EQ(Show(), IDCANCEL);
  EXPECT_EQ(params.templateId, nullptr);
}

TEST_F(EntryTypeDialogTest, AnEntryWithoutTheTemplatePropertyGivesOkWithoutTemplate) {
  ULONG person = store.NewPerson(book, {Field(1, "Jean Martin"), Field(0x210, "0102030405")});
  std::string id = IdInRoot(person);
  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) { dialog.Click(IDOK); });
  EXPECT_EQ(Show(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data())), IDOK);
  EXPECT_EQ(params.templateIdSize, 0u);
  EXPECT_EQ(params.templateId, nullptr);

  // A container that cannot be opened is as silent.
  std::string foreign = MakeId(person, 6, 0xFFFFFFFF, 4, reinterpret_cast<const BYTE*>("another service!"));
  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) { dialog.Click(IDOK); });
  EXPECT_EQ(Show(static_cast<ULONG>(foreign.size()), reinterpret_cast<LPENTRYID>(foreign.data())), IDOK);
  EXPECT_EQ(params.templateId, nullptr);
}

TEST_F(EntryTypeDialogTest, DoubleClickAndHelpDoNothing) {
  driver->OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) {
    SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDC_ENTRY_TYPE_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(dialog.Control(IDC_ENTRY_TYPE_LIST)));
    dialog.PressF1(IDC_ENTRY_TYPE_LIST);
    dialog.ContextHelp(IDC_ENTRY_TYPE_LIST);
    EXPECT_TRUE(dialog.IsOpen());
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(Show(), IDCANCEL);
  EXPECT_TRUE(help->Requests().empty());
}

// Under Wine the test run photographs the dialog for the documentation (ABK_SCREENSHOT_DIR).
TEST_F(EntryTypeDialogTest, Screenshot) {
  const char* folder = std::getenv("ABK_SCREENSHOT_DIR");
  if (!folder || !*folder) GTEST_SKIP() << "ABK_SCREENSHOT_DIR is not set";
  driver->OnDialog(IDD_ENTRY_TYPE, [folder](host::DialogView& dialog) {
    dialog.SelectItem(IDC_ENTRY_TYPE_LIST, 0);
    EXPECT_EQ(dialog.SaveScreenshot(std::string(folder) + "/entry-type.bmp"), "");
    dialog.Click(IDCANCEL);
  });
  EXPECT_EQ(Show(), IDCANCEL);
}

// A photograph is kept only when it shows a dialog: not a blank screen, not a picture without the
// caption band, not a caption band left undrawn or without its text.
TEST(ScreenshotCheckTest, RefusesPicturesThatShowNoDialog) {
  constexpr std::uint32_t kCaption = 0x3296FA, kText = 0xFFFFFF, kFace = 0xF0F0F0, kFrame = 0xA0A0A0;
  host::DialogLook look;
  look.captionLeft = 2, look.captionTop = 2, look.captionRight = 38, look.captionBottom = 10;
  look.captionColours = {kCaption, 0x99B4D1};
  // A 40 x 30 dialog: frame, caption band with a word of text in its left half, face below, one control.
  auto dialog = [&] {
    host::Picture picture{40, 30, std::vector<std::uint32_t>(40 * 30, kFrame)};
    for (int y = 2; y < 28; ++y)
      for (int x = 2; x < 38; ++x)
        picture.pixels[y * 40 + x] = y < 10 ? kCaption : kFace;
    for (int x = 4; x < 12; ++x)
      picture.pixels[5 * 40 + x] = kText;
    picture.pixels[20 * 40 + 20] = 0x000000;
    return picture;
  };
  EXPECT_EQ(host::ProblemWithPicture(dialog(), look), "");

  host::Picture black{40, 30, std::vector<std::uint32_t>(40 * 30, 0)};
  EXPECT_EQ(host::ProblemWithPicture(black, look), "the picture is blank: 1 colour(s), the first #000000");
  EXPECT_EQ(host::ProblemWithPicture(host::Picture{}, look), "the picture is empty");

  host::DialogLook noCaption = look;
  noCaption.captionBottom = noCaption.captionTop;
  EXPECT_EQ(host::ProblemWithPicture(dialog(), noCaption), "the picture has no caption area");
  noCaption = look;
  noCaption.captionRight = 41;
  EXPECT_EQ(host::ProblemWithPicture(dialog(), noCaption), "the picture has no caption area");

  host::Picture undrawn = dialog();
  for (int x = 2; x < 38; ++x)
    for (int y = 2; y < 10; ++y)
      if (undrawn.pixels[y * 40 + x] == kCaption) undrawn.pixels[y * 40 + x] = kFace;
  EXPECT_EQ(host::ProblemWithPicture(undrawn, look),
            "the caption area is not drawn: 0 of 288 pixels in a caption colour");

  host::Picture textless = dialog();
  for (int x = 4; x < 12; ++x)
    textless.pixels[5 * 40 + x] = kCaption;
  textless.pixels[5 * 40 + 30] = kText; // the close box, in the right half
  EXPECT_EQ(host::ProblemWithPicture(textless, look), "the caption area shows no caption text");
}

} // namespace
} // namespace abktest
