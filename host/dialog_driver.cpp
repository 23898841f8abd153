// The backend-independent part of the dialog driver: the queue of scripts, matching a dialog against
// its expectation, and the control identifiers of a compiled template.
#include "host/dialog_driver.h"

#include <cstring>

namespace host {

namespace {

class TemplateReader {
public:
  TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}
  bool Ok() const { return ok_; }
  WORD Word() { return static_cast<WORD>(Take(2)); }
  DWORD Dword() { return static_cast<DWORD>(Take(4)); }
  void Skip(size_t bytes) { Need(bytes) ? void(at_ += bytes) : void(); }
  // A string or an ordinal (0xFFFF then a WORD).
  void SkipNameOrOrdinal() {
    if (!Need(2)) return;
    if (Peek() == 0xFFFF) return Skip(4);
    SkipString();
  }
  void SkipString() {
    while (Need(2) && Word() != 0) {
    }
  }
  void AlignDword() { at_ = (at_ + 3) & ~size_t{3}; }

private:
  bool Need(size_t bytes) {
    if (at_ + bytes > size_) ok_ = false;
    return ok_;
  }
  WORD Peek() const {
    WORD w;
    std::memcpy(&w, data_ + at_, 2);
    return w;
  }
  DWORD Take(size_t bytes) {
    if (!Need(bytes)) return 0;
    DWORD value = 0;
    std::memcpy(&value, data_ + at_, bytes);
    at_ += bytes;
    return value;
  }
  const BYTE* data_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

} // namespace

std::vector<int> TemplateControlIds(HINSTANCE module, int templateId) {
  std::vector<int> ids;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));
  if (!found) return ids;
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  if (!data) return ids;
  TemplateReader in(data, SizeofResource(module, found));
  bool extended = in.Word() == 1 && in.Word() == 0xFFFF;
  TemplateReader reader(data, SizeofResource(module, found));
  DWORD style = 0;
  if (extended) {
    reader.Skip(8); // version, signature, help id
    reader.Dword(); // extended style
    style = reader.Dword();
  } else {
    style = reader.Dword();
    reader.Dword();
  }
  WORD count = reader.Word();
  reader.Skip(8);             // position and size
  reader.SkipNameOrOrdinal(); // menu
  reader.SkipNameOrOrdinal(); // class
  reader.SkipString();        // caption
  if (style & DS_SETFONT) {
    reader.Skip(extended ? 6 : 2);
    reader.SkipString();
  }
  for (WORD i = 0; i < count && reader.Ok(); ++i) {
    reader.AlignDword();
    int id = 0;
    if (extended) {
      reader.Skip(12 + 8);
      id = static_cast<int>(reader.Dword());
    } else {
      reader.Skip(8 + 8);
      id = static_cast<short>(reader.Word());
    }
    reader.SkipNameOrOrdinal();
    reader.SkipNameOrOrdinal();
    reader.Skip(reader.Word());
    if (reader.Ok() && static_cast<WORD>(id) != 0xFFFF) ids.push_back(id);
  }
  return ids;
}

DialogDriver::DialogDriver(HINSTANCE resources) : resources_(resources) { Install(); }

DialogDriver::~DialogDriver() { Uninstall(); }

void DialogDriver::OnDialog(int templateId, Script script) {
  scripts_.push_back({templateId, std::string(), std::move(script)});
}

void DialogDriver::OnDialog(const std::string& caption, Script script) {
  scripts_.push_back({0, caption, std::move(script)});
}

int DialogDriver::NextAnswer() {
  if (answers_.empty()) return IDOK;
  int answer = answers_.front();
  answers_.erase(answers_.begin());
  return answer;
}

bool DialogDriver::Matches(const Expectation& expected, HWND dialog) const {
  DialogView view(dialog);
  if (!expected.caption.empty()) return view.Caption() == expected.caption;
  std::vector<int> ids = TemplateControlIds(resources_, expected.templateId);
  if (ids.empty()) return false;
  for (int id : ids) {
    if (!GetDlgItem(dialog, id)) return false;
  }
  return true;
}

void DialogDriver::RunDialog(HWND dialog) {
  DialogView view(dialog);
  if (scripts_.empty()) {
    failures_.push_back("a dialog opened with no script: \"" + view.Caption() + "\"");
    return;
  }
  Expectation expected = std::move(scripts_.front());
  scripts_.erase(scripts_.begin());
  if (!Matches(expected, dialog)) {
    failures_.push_back("an unexpected dialog opened: \"" + view.Caption() + "\"");
    return;
  }
  ++dialogsRun_;
  expected.script(view);
}

} // namespace host
