// Drives the modal dialogs that a call opens, in place of the user: each dialog that opens runs the next
// queued script, message boxes are recorded and answered, and whatever is left open is cancelled. On
// Linux the headless layer calls the driver; on Windows a CBT hook on the calling thread finds each
// dialog and a timer run by the dialog's own modal loop runs the script.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "host/dialog_view.h"

namespace host {

struct ShownMessage {
  std::string text;
  std::string caption;
  UINT icon = 0; // MB_ICONSTOP, MB_ICONINFORMATION, ... or 0
};

class DialogDriver {
public:
  using Script = std::function<void(DialogView&)>;

  // Installs the driver on the calling thread; one driver at a time.
  explicit DialogDriver(HINSTANCE resources);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  // The next dialog to open must come from this template (its controls are all there).
  void OnDialog(int templateId, Script script);
  // The next dialog to open must carry this caption.
  void OnDialog(const std::string& caption, Script script);
  // Answers of the coming message boxes, in order; IDOK for a box nothing was queued for.
  void AnswerMessageBox(int answer);

  const std::vector<ShownMessage>& Messages();
  // A dialog that opened with no script left, or that was not the expected one.
  const std::vector<std::string>& Failures() const { return failures_; }
  int DialogsRun() const { return dialogsRun_; }
  int ScriptsLeft() const { return static_cast<int>(scripts_.size()); }

  // Backends call these.
  void RunDialog(HWND dialog);
  int NextAnswer();
  void RecordMessage(ShownMessage message) { messages_.push_back(std::move(message)); }

private:
  struct Expectation {
    int templateId = 0;
    std::string caption;
    Script script;
  };
  void Install();
  void Uninstall();
  bool Matches(const Expectation& expected, HWND dialog) const;

  HINSTANCE resources_;
  std::vector<Expectation> scripts_;
  std::vector<int> answers_;
  std::vector<ShownMessage> messages_;
  std::vector<std::string> failures_;
  int dialogsRun_ = 0;
};

// The control identifiers of a dialog template (DLGTEMPLATEEX or DLGTEMPLATE), static -1 ids left out.
std::vector<int> TemplateControlIds(HINSTANCE module, int templateId);

} // namespace host
