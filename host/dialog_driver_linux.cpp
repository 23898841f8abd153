// The dialog driver on the headless Linux layer: the layer calls the driver once each dialog is
// initialised, and records and answers message boxes itself.
#include <abkplatform.h>

#include "host/dialog_driver.h"

namespace host {

namespace {

void RunOpenedDialog(HWND dialog, void* driver) { static_cast<DialogDriver*>(driver)->RunDialog(dialog); }

} // namespace

void DialogDriver::Install() {
  AbkClearMessageBoxes();
  AbkSetDialogDriver(RunOpenedDialog, this);
}

void DialogDriver::Uninstall() {
  AbkSetDialogDriver(nullptr, nullptr);
  AbkClearMessageBoxes();
}

void DialogDriver::AnswerMessageBox(int answer) { AbkQueueMessageBoxAnswer(answer); }

const std::vector<ShownMessage>& DialogDriver::Messages() {
  messages_.clear();
  for (int i = 0; i < AbkMessageBoxCount(); ++i) {
    AbkMessageBoxRecord shown = {};
    AbkMessageBoxAt(i, &shown);
    messages_.push_back({shown.text ? shown.text : "", shown.caption ? shown.caption : "",
                         static_cast<UINT>(shown.type & MB_ICONMASK)});
  }
  return messages_;
}

std::string DialogView::SaveScreenshot(const std::string&) const { return "the headless layer has no screen"; }

void DialogView::Type(int id, const std::string& text) { AbkTypeText(Control(id), text.c_str()); }

} // namespace host
