// Reading a compiled extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items), as the
// headless user-interface layer builds a dialog from it. Texts come out in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#ifndef DS_SETFONT
#define DS_SETFONT 0x40L // the template carries a font (DS_SHELLFONT includes it)
#endif

namespace abkwin {

struct DialogItemTemplate {
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::string className; // "BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX" or as written
  std::string text;      // empty when the item's title is an ordinal (an icon id, say)
  WORD textOrdinal = 0;  // the ordinal title, 0 when the title is text
};

struct DialogTemplate {
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;
  WORD pointSize = 0;
  WORD weight = 0;
  bool italic = false;
  BYTE charset = 0;
  std::string typeface;
  std::vector<DialogItemTemplate> items;
};

// Parses size bytes of an extended template; false when the bytes are not one or run short.
bool ParseDialogTemplate(const void* bytes, size_t size, DialogTemplate* result);

} // namespace abkwin
