// Parsing extended dialog templates with every read checked against the resource's size.
#include "dialog_template.h"

#include <cstring>

namespace abkwin {

namespace {

class Reader {
public:
  Reader(const BYTE* bytes, size_t size) : p_(bytes), size_(size) {}
  bool ok() const { return ok_; }

  template <class T> T Read() {
    T value{};
    if (offset_ + sizeof(T) > size_) {
      ok_ = false;
      return value;
    }
    memcpy(&value, p_ + offset_, sizeof(T));
    offset_ += sizeof(T);
    return value;
  }
  void AlignTo4() { offset_ = (offset_ + 3) & ~size_t{3}; }

  // A zero-terminated UTF-16 string, converted to the ANSI code page.
  std::string ReadText() {
    std::vector<WCHAR> wide;
    for (;;) {
      WORD c = Read<WORD>();
      if (!ok_ || !c) break;
      wide.push_back(static_cast<WCHAR>(c));
    }
    if (wide.empty()) return {};
    int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(bytes > 0 ? bytes : 0, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), bytes, nullptr, nullptr);
    return text;
  }

  // A field that is empty (0x0000), an ordinal (0xFFFF then a word) or a string.
  std::string ReadTextOrOrdinal(WORD* ordinal) {
    *ordinal = 0;
    if (offset_ + 2 > size_) {
      ok_ = false;
      return {};
    }
    WORD first;
    memcpy(&first, p_ + offset_, 2);
    if (first == 0) {
      offset_ += 2;
      return {};
    }
    if (first == 0xFFFF) {
      offset_ += 2;
      *ordinal = Read<WORD>();
      return {};
    }
    return ReadText();
  }

private:
  const BYTE* p_;
  size_t size_;
  size_t offset_ = 0;
  bool ok_ = true;
};

// The predefined control classes an item names by atom.
std::string ClassOfAtom(WORD atom) {
  switch (atom) {
  case 0x80:
    return "BUTTON";
  case 0x81:
    return "EDIT";
  case 0x82:
    return "STATIC";
  case 0x83:
    return "LISTBOX";
  case 0x84:
    return "SCROLLBAR";
  case 0x85:
    return "COMBOBOX";
  default:
    return "#" + std::to_string(atom);
  }
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

} // namespace

bool ParseDialogTemplate(const void* bytes, size_t size, DialogTemplate* result) {
  if (!bytes || !result) return false;
  Reader in(static_cast<const BYTE*>(bytes), size);
  DialogTemplate dialog;
  if (in.Read<WORD>() != 1 || in.Read<WORD>() != 0xFFFF) return false;
  dialog.helpId = in.Read<DWORD>();
  dialog.exStyle = in.Read<DWORD>();
  dialog.style = in.Read<DWORD>();
  WORD count = in.Read<WORD>();
  dialog.x = in.Read<short>();
  dialog.y = in.Read<short>();
  dialog.cx = in.Read<short>();
  dialog.cy = in.Read<short>();
  WORD ordinal = 0;
  in.ReadTextOrOrdinal(&ordinal); // menu: the provider's dialogs have none
  in.ReadTextOrOrdinal(&ordinal); // window class: the standard dialog class
  dialog.caption = in.ReadText();
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = in.Read<WORD>();
    dialog.weight = in.Read<WORD>();
    dialog.italic = in.Read<BYTE>() != 0;
    dialog.charset = in.Read<BYTE>();
    dialog.typeface = in.ReadText();
  }
  for (WORD i = 0; i < count && in.ok(); ++i) {
    in.AlignTo4();
    DialogItemTemplate item;
    item.helpId = in.Read<DWORD>();
    item.exStyle = in.Read<DWORD>();
    item.style = in.Read<DWORD>();
    item.x = in.Read<short>();
    item.y = in.Read<short>();
    item.cx = in.Read<short>();
    item.cy = in.Read<short>();
    item.id = in.Read<DWORD>();
    WORD atom = 0;
    std::string className = in.ReadTextOrOrdinal(&atom);
    item.className = atom ? ClassOfAtom(atom) : Upper(className);
    item.text = in.ReadTextOrOrdinal(&item.textOrdinal);
    WORD extra = in.Read<WORD>();
    for (WORD b = 0; b < extra && in.ok(); ++b)
      in.Read<BYTE>();
    dialog.items.push_back(item);
  }
  if (!in.ok()) return false;
  *result = std::move(dialog);
  return true;
}

} // namespace abkwin
