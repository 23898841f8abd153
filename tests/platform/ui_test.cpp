// The headless user-interface layer: dialogs from compiled templates, controls, focus, the dialog driver,
// message boxes and help requests.
#include <abkplatform.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kForm = 100;
constexpr int kNested = 200;
constexpr int kLabel = 1000;
constexpr int kName = 1001;
constexpr int kDefault = 1002;
constexpr int kList = 1003;
constexpr int kCombo = 1004;
constexpr int kMore = 1005;
constexpr int kNestedEdit = 2001;

struct Message {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Message> g_messages;
INT_PTR g_nestedResult = 0;
bool g_initReturnsTrue = true;

std::vector<Message> CommandsWith(WORD code) {
  std::vector<Message> found;
  for (const Message& m : g_messages) {
    if (m.message == WM_COMMAND && HIWORD(m.wParam) == code) found.push_back(m);
  }
  return found;
}

INT_PTR CALLBACK NestedProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, kNestedEdit, reinterpret_cast<const char*>(lParam));
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, 7);
    return TRUE;
  }
  return FALSE;
}

// Ends with 42 on OK and IDCANCEL on Cancel; "Plus..." opens the nested dialog.
INT_PTR CALLBACK FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  g_messages.push_back({dialog, message, wParam, lParam});
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return g_initReturnsTrue ? TRUE : FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
  case IDOK:
    EndDialog(dialog, 42);
    return TRUE;
  case IDCANCEL:
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  case kMore:
    g_nestedResult = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kNested), dialog, NestedProc,
                                     reinterpret_cast<LPARAM>("depuis la fiche"));
    return TRUE;
  default:
    return FALSE;
  }
}

// Ignores Cancel: only OK ends it.
INT_PTR CALLBACK StubbornProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

using Driver = std::function<void(HWND)>;

void CallDriver(HWND dialog, void* context) { (*static_cast<Driver*>(context))(dialog); }

class Ui : public ::testing::Test {
protected:
  void SetUp() override {
    g_messages.clear();
    g_nestedResult = 0;
    g_initReturnsTrue = true;
    AbkClearMessageBoxes();
    AbkClearHelpRequests();
  }
  void TearDown() override { AbkSetDialogDriver(nullptr, nullptr); }

  INT_PTR Run(Driver driver, LPARAM param = 0, DLGPROC proc = FormProc, int id = kForm) {
    driver_ = std::move(driver);
    AbkSetDialogDriver(CallDriver, &driver_);
    return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(id), nullptr, proc, param);
  }

  static std::string Text(HWND window) {
    char buffer[256];
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
  }

  static std::string ItemText(HWND dialog, int id) {
    char buffer[256];
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
  }

  Driver driver_;
};

TEST_F(Ui, TheTemplateGivesTheControlsWithTheirIdsTextsAndStyles) {
  Run([](HWND dialog) {
    EXPECT_EQ(Text(dialog), "Fiche d'essai");
    EXPECT_EQ(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, WS_EX_CONTEXTHELP);
    EXPECT_EQ(ItemText(dialog, kLabel), "&Nom :");
    EXPECT_EQ(ItemText(dialog, kDefault), "Par d\xE9"
                                          "faut")
        << "texts come out in the ANSI code page";
    EXPECT_EQ(ItemText(dialog, IDCANCEL), "Annuler");
    for (int id : {kLabel, kName, kDefault, kList, kCombo, kMore, IDOK, IDCANCEL}) {
      HWND control = GetDlgItem(dialog, id);
      ASSERT_TRUE(IsWindow(control)) << id;
      EXPECT_EQ(GetDlgCtrlID(control), id);
      EXPECT_EQ(GetWindowLongPtrA(control, GWLP_ID), id);
      EXPECT_EQ(GetParent(control), dialog);
      EXPECT_TRUE(IsWindowVisible(control));
      EXPECT_TRUE(IsWindowEnabled(control));
    }
    EXPECT_EQ(GetDlgItem(dialog, 4242), nullptr);
    EXPECT_EQ(GetWindowLongA(GetDlgItem(dialog, kDefault), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(GetWindowLongA(GetDlgItem(dialog, kList), GWL_STYLE) & (LBS_SORT | LBS_EXTENDEDSEL),
              LBS_SORT | LBS_EXTENDEDSEL);
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dialog, kLabel)), 6);
    EndDialog(dialog, 5);
  });
}

TEST_F(Ui, InitDialogGetsTheParamAndTheFirstTabStopTakesTheFocus) {
  HWND seen = nullptr;
  HWND name = nullptr;
  INT_PTR result = Run(
      [&](HWND dialog) {
        seen = dialog;
        name = GetDlgItem(dialog, kName);
        EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), 1234);
        EXPECT_EQ(GetFocus(), name);
        EXPECT_EQ(CommandsWith(EN_SETFOCUS).size(), 1u);
        EndDialog(dialog, 9);
      },
      1234);
  EXPECT_EQ(result, 9);
  ASSERT_GE(g_messages.size(), 2u);
  EXPECT_EQ(g_messages[0].message, WM_INITDIALOG);
  EXPECT_EQ(g_messages[0].wParam, reinterpret_cast<WPARAM>(name)) << "the first tab stop";
  EXPECT_EQ(g_messages[0].lParam, 1234);
  EXPECT_EQ(g_messages.back().message, WM_DESTROY);
  EXPECT_FALSE(IsWindow(seen)) << "the dialog is destroyed when DialogBoxParamA returns";
  EXPECT_FALSE(IsWindow(name));
}

TEST_F(Ui, InitDialogAnsweringFalseLeavesTheFocusAlone) {
  g_initReturnsTrue = false;
  Run([](HWND dialog) {
    EXPECT_EQ(GetFocus(), nullptr);
    EndDialog(dialog, 1);
  });
}

TEST_F(Ui, FocusMovesWithMessagesAndEditNotifications) {
  Run([](HWND dialog) {
    HWND name = GetDlgItem(dialog, kName);
    HWND box = GetDlgItem(dialog, kDefault);
    g_messages.clear();
    EXPECT_EQ(SetFocus(box), name) << "SetFocus answers the previous focus";
    EXPECT_EQ(GetFocus(), box);
    auto lost = CommandsWith(EN_KILLFOCUS);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(LOWORD(lost[0].wParam), kName);
    EXPECT_EQ(lost[0].lParam, reinterpret_cast<LPARAM>(name));
    EXPECT_EQ(SetFocus(name), box);
    EXPECT_EQ(CommandsWith(EN_SETFOCUS).size(), 1u);
    EndDialog(dialog, 1);
  });
}

TEST_F(Ui, EditLimitsTypingButNotSetText) {
  Run([](HWND dialog) {
    HWND name = GetDlgItem(dialog, kName);
    EXPECT_EQ(SendMessageA(name, EM_GETLIMITTEXT, 0, 0), 30000);
    SendMessageA(name, EM_LIMITTEXT, 5, 0);
    EXPECT_EQ(SendMessageA(name, EM_GETLIMITTEXT, 0, 0), 5);

    g_messages.clear();
    EXPECT_TRUE(SetDlgItemTextA(dialog, kName, "Dupont-Durand"));
    EXPECT_EQ(ItemText(dialog, kName), "Dupont-Durand") << "WM_SETTEXT keeps the whole text";
    EXPECT_EQ(CommandsWith(EN_CHANGE).size(), 1u) << "an edit tells EN_CHANGE on WM_SETTEXT";

    EXPECT_TRUE(AbkTypeText(name, "Martinez"));
    EXPECT_EQ(ItemText(dialog, kName), "Marti") << "typing stops at the limit";
    EXPECT_EQ(CommandsWith(EN_CHANGE).size(), 2u);
    char small[4];
    EXPECT_EQ(GetWindowTextA(name, small, sizeof small), 3);
    EXPECT_STREQ(small, "Mar");

    SendMessageA(name, EM_SETSEL, 1, 3);
    DWORD start = 0, end = 0;
    EXPECT_EQ(SendMessageA(name, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end)),
              MAKELRESULT(1, 3));
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 3u);
    SendMessageA(name, EM_SETSEL, 0, -1);
    EXPECT_EQ(SendMessageA(name, EM_GETSEL, 0, 0), MAKELRESULT(0, 5)) << "-1 selects to the end";
    EXPECT_FALSE(AbkTypeText(GetDlgItem(dialog, kDefault), "x")) << "not an edit";
    EndDialog(dialog, 1);
  });
}

TEST_F(Ui, AutoCheckBoxToggles) {
  Run([](HWND dialog) {
    HWND box = GetDlgItem(dialog, kDefault);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kDefault), BST_UNCHECKED);
    g_messages.clear();
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kDefault), BST_CHECKED);
    auto clicks = CommandsWith(BN_CLICKED);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(LOWORD(clicks[0].wParam), kDefault);
    EXPECT_EQ(clicks[0].lParam, reinterpret_cast<LPARAM>(box));
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kDefault), BST_UNCHECKED);
    CheckDlgButton(dialog, kDefault, BST_CHECKED);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);

    EXPECT_FALSE(EnableWindow(box, FALSE)) << "it was enabled";
    EXPECT_FALSE(IsWindowEnabled(box));
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kDefault), BST_CHECKED) << "a disabled button ignores clicks";
    EXPECT_EQ(CommandsWith(BN_CLICKED).size(), 2u);
    EXPECT_TRUE(EnableWindow(box, TRUE)) << "it was disabled";
    EXPECT_TRUE(ShowWindow(box, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(box));
    EndDialog(dialog, 1);
  });
}

TEST_F(Ui, SortedExtendedListBox) {
  Run([](HWND dialog) {
    HWND list = GetDlgItem(dialog, kList);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("martin")), 0);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Dupont")), 0);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Bernard")), 0);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Legrand")), 2)
        << "sorted without regard to case";
    EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("Zoe")), 0)
        << "LB_INSERTSTRING does not sort";
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 5);
    char buffer[32];
    EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)), 7);
    EXPECT_STREQ(buffer, "Legrand");
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 4, 0), 6);
    EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 9, reinterpret_cast<LPARAM>(buffer)), LB_ERR);

    SendMessageA(list, LB_SETITEMDATA, 3, 300);
    EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 0, 0), 4);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 2, 0), 300) << "item data follow their item";
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 7, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("MARTIN")), 3);
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Mart")),
              LB_ERR);

    EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 1, 0), LB_ERR) << "not for a multiple-selection list";
    SendMessageA(list, LB_SETSEL, TRUE, 0);
    SendMessageA(list, LB_SETSEL, TRUE, 2);
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 2);
    int selected[4] = {};
    EXPECT_EQ(SendMessageA(list, LB_GETSELITEMS, 4, reinterpret_cast<LPARAM>(selected)), 2);
    EXPECT_EQ(selected[0], 0);
    EXPECT_EQ(selected[1], 2);
    EXPECT_GT(SendMessageA(list, LB_GETSEL, 2, 0), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETSEL, 1, 0), 0);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 0);

    g_messages.clear();
    EXPECT_TRUE(AbkSelectItem(list, 1));
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
    auto changes = CommandsWith(LBN_SELCHANGE);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(LOWORD(changes[0].wParam), kList);

    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
    EndDialog(dialog, 1);
  });
}

TEST_F(Ui, SortedComboBoxWithItsEditPart) {
  Run([](HWND dialog) {
    HWND combo = GetDlgItem(dialog, kCombo);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Particulier"));
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("entreprise"));
    EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Association")), 0);
    SendMessageA(combo, CB_SETITEMDATA, 2, 77);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    char buffer[32];
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 10);
    EXPECT_STREQ(buffer, "entreprise");
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 2, 0), 11);

    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(ItemText(dialog, kCombo), "Particulier") << "the selected item's text goes to the edit part";
    EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, SendMessageA(combo, CB_GETCURSEL, 0, 0), 0), 77);
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("ENTREPRISE")),
              1);
    EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 0, 0), 2);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1) << "the selection follows its item";

    SendMessageA(combo, CB_LIMITTEXT, 4, 0);
    SetWindowTextA(combo, "Autre texte");
    EXPECT_EQ(ItemText(dialog, kCombo), "Autre texte");
    g_messages.clear();
    EXPECT_TRUE(AbkTypeText(combo, "Famille"));
    EXPECT_EQ(ItemText(dialog, kCombo), "Fami") << "typing honours the text limit";
    EXPECT_EQ(CommandsWith(CBN_EDITCHANGE).size(), 1u);

    EXPECT_TRUE(AbkSelectItem(combo, 0));
    EXPECT_EQ(ItemText(dialog, kCombo), "entreprise");
    EXPECT_EQ(CommandsWith(CBN_SELCHANGE).size(), 1u);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(ItemText(dialog, kCombo), "");
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
    EndDialog(dialog, 1);
  });
}

TEST_F(Ui, ClickingOkEndsWithTheDialogProcedureResult) {
  INT_PTR result = Run([](HWND dialog) { SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0); });
  EXPECT_EQ(result, 42);
  auto clicks = CommandsWith(BN_CLICKED);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(LOWORD(clicks[0].wParam), IDOK);
}

TEST_F(Ui, ADriverThatLeavesTheDialogOpenCancelsIt) {
  EXPECT_EQ(Run([](HWND) {}), IDCANCEL);
  auto clicks = CommandsWith(BN_CLICKED);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(LOWORD(clicks[0].wParam), IDCANCEL);
  EXPECT_EQ(Run([](HWND) {}, 0, StubbornProc), -1) << "a dialog that ignores Cancel ends with -1";
  AbkSetDialogDriver(nullptr, nullptr);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kForm), nullptr, FormProc, 0), IDCANCEL) << "no driver";
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, FormProc, 0), -1) << "no such template";
}

TEST_F(Ui, CloseAsksTheDialogToCancel) {
  EXPECT_EQ(Run([](HWND dialog) {
              g_messages.clear();
              SendMessageA(dialog, WM_CLOSE, 0, 0);
            }),
            IDCANCEL);
  ASSERT_GE(g_messages.size(), 2u);
  EXPECT_EQ(g_messages[0].message, WM_CLOSE);
  EXPECT_EQ(g_messages[1].message, WM_COMMAND);
  EXPECT_EQ(g_messages[1].wParam, MAKEWPARAM(IDCANCEL, BN_CLICKED));
}

TEST_F(Ui, MessageBoxesAreRecordedAndAnswered) {
  AbkQueueMessageBoxAnswer(IDNO);
  HWND owner = nullptr;
  int answers[2] = {};
  Run([&](HWND dialog) {
    owner = dialog;
    answers[0] = MessageBoxA(dialog, "Supprimer ?", "Carnet", MB_YESNO | MB_ICONQUESTION);
    answers[1] = MessageBoxA(dialog, "Fini.", nullptr, MB_OK);
    EndDialog(dialog, 1);
  });
  EXPECT_EQ(answers[0], IDNO);
  EXPECT_EQ(answers[1], IDOK) << "IDOK when nothing is queued";
  ASSERT_EQ(AbkMessageBoxCount(), 2);
  AbkMessageBoxRecord record;
  ASSERT_TRUE(AbkMessageBoxAt(0, &record));
  EXPECT_EQ(record.owner, owner);
  EXPECT_STREQ(record.text, "Supprimer ?");
  EXPECT_STREQ(record.caption, "Carnet");
  EXPECT_EQ(record.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(record.answer, IDNO);
  ASSERT_TRUE(AbkMessageBoxAt(1, &record));
  EXPECT_STREQ(record.caption, "Error");
  EXPECT_FALSE(AbkMessageBoxAt(2, &record));
  AbkClearMessageBoxes();
  EXPECT_EQ(AbkMessageBoxCount(), 0);
}

TEST_F(Ui, HelpRequestsAreRecorded) {
  EXPECT_TRUE(WinHelpA(nullptr, "ABKHLP01.hlp", HELP_CONTEXT, 1200));
  EXPECT_TRUE(WinHelpA(nullptr, nullptr, HELP_QUIT, 0));
  ASSERT_EQ(AbkHelpRequestCount(), 2);
  AbkHelpRecord record;
  ASSERT_TRUE(AbkHelpRequestAt(0, &record));
  EXPECT_STREQ(record.file, "ABKHLP01.hlp");
  EXPECT_EQ(record.command, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(record.data, 1200u);
  ASSERT_TRUE(AbkHelpRequestAt(1, &record));
  EXPECT_EQ(record.file, nullptr);
}

TEST_F(Ui, ANestedDialogIsDrivenInItsTurn) {
  std::vector<std::string> captions;
  HWND form = nullptr;
  INT_PTR result = Run([&](HWND dialog) {
    captions.push_back(Text(dialog));
    if (GetDlgItem(dialog, kNestedEdit)) {
      EXPECT_EQ(ItemText(dialog, kNestedEdit), "depuis la fiche");
      EXPECT_EQ(GetParent(dialog), form) << "the form owns it";
      SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
      return;
    }
    form = dialog;
    SendDlgItemMessageA(dialog, kMore, BM_CLICK, 0, 0);
    EXPECT_EQ(g_nestedResult, 7);
    // The click focused the button; the focus comes back to it when the nested dialog ends.
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kMore)) << "the focus comes back to the form";
    SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, 42);
  ASSERT_EQ(captions.size(), 2u);
  EXPECT_EQ(captions[0], "Fiche d'essai");
  EXPECT_EQ(captions[1], "Imbriqu\xE9");
}

TEST_F(Ui, DialogLongsAndPostedMessages) {
  Run([](HWND dialog) {
    SetWindowLongPtrA(dialog, DWLP_USER, 11);
    EXPECT_EQ(SetWindowLongA(dialog, DWL_USER, 22), 0) << "DWL_USER is a slot of its own here";
    EXPECT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), 11);
    EXPECT_EQ(GetWindowLongA(dialog, DWL_USER), 22);
    EXPECT_TRUE(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0));
  });
  EXPECT_FALSE(PostMessageA(nullptr, WM_CLOSE, 0, 0));
}

TEST_F(Ui, IconsAndMetrics) {
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
  EXPECT_EQ(GetSystemMetrics(SM_CYICON), 32);
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CYSMICON), 16);
  HMODULE self = GetModuleHandleA(nullptr);
  EXPECT_NE(LoadIconA(self, MAKEINTRESOURCEA(111)), nullptr);
  EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(112)), nullptr) << "no such icon";
  EXPECT_NE(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), nullptr) << "the system's application icon";
}

} // namespace
