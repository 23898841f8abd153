// lstr* string helpers with Windows semantics (null-tolerant, word-sort ordering) for Windows-1252 text.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Lower-case fold of Windows-1252: ASCII, the Latin-1 letters (not the
// multiplication/division signs) and the few letters living in 0x80-0x9F.
unsigned char FoldCp1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
  case 0x8A: // S caron
  case 0x8C: // OE ligature
  case 0x8E: // Z caron
    return static_cast<unsigned char>(c + 0x10);
  case 0x9F: // Y diaeresis
    return 0xFF;
  default:
    return c;
  }
}

// ---------------------------------------------------------------------------
// Ordering. Windows compares strings linguistically ("word sort"), not by
// code value: symbols before digits before letters, accented letters next to
// their base letter, ligatures spelled out, and only then accents, then case
// (lower before upper). Hyphen and apostrophe count only as a last resort.
// This is a small model of that for Windows-1252; equality is exact.
// ---------------------------------------------------------------------------
struct Element {
  unsigned short primary; // symbol < digit < letter, then which one
  unsigned char accent;   // 0 for a plain letter
  unsigned char upper;    // 1 for a capital
};

constexpr unsigned short kSymbol = 0x000;
constexpr unsigned short kDigit = 0x100;
constexpr unsigned short kLetter = 0x200;

bool IsIgnorable(unsigned char c) { return c == '-' || c == '\''; }

// Base letter(s) of a folded Windows-1252 letter; second is 0 unless the
// letter sorts as two (ae and oe ligatures, sharp s, thorn). Returns false
// for non-letters.
bool BaseLetters(unsigned char lower, char& first, char& second) {
  second = 0;
  if (lower >= 'a' && lower <= 'z') {
    first = static_cast<char>(lower);
    return true;
  }
  if (lower >= 0xE0 && lower <= 0xE5)
    first = 'a';
  else if (lower == 0xE6)
    first = 'a', second = 'e';
  else if (lower == 0xE7)
    first = 'c';
  else if (lower >= 0xE8 && lower <= 0xEB)
    first = 'e';
  else if (lower >= 0xEC && lower <= 0xEF)
    first = 'i';
  else if (lower == 0xF0)
    first = 'd';
  else if (lower == 0xF1)
    first = 'n';
  else if ((lower >= 0xF2 && lower <= 0xF6) || lower == 0xF8)
    first = 'o';
  else if (lower >= 0xF9 && lower <= 0xFC)
    first = 'u';
  else if (lower == 0xFD || lower == 0xFF)
    first = 'y';
  else if (lower == 0xDF)
    first = 's', second = 's';
  else if (lower == 0xFE)
    first = 't', second = 'h';
  else if (lower == 0x9C)
    first = 'o', second = 'e';
  else if (lower == 0x9A)
    first = 's';
  else if (lower == 0x9E)
    first = 'z';
  else if (lower == 0x83)
    first = 'f';
  else if (lower == 0xAA)
    first = 'a';
  else if (lower == 0xBA)
    first = 'o';
  else
    return false;
  return true;
}

void AppendElements(unsigned char c, std::vector<Element>& out) {
  unsigned char lower = FoldCp1252(c);
  auto upper = static_cast<unsigned char>(lower != c);
  auto accent = static_cast<unsigned char>(lower < 0x80 ? 0 : lower);
  char first = 0, second = 0;
  if (BaseLetters(lower, first, second)) {
    out.push_back({static_cast<unsigned short>(kLetter + (first - 'a')), accent, upper});
    if (second != 0) out.push_back({static_cast<unsigned short>(kLetter + (second - 'a')), 0, upper});
  } else if (lower >= '0' && lower <= '9') {
    out.push_back({static_cast<unsigned short>(kDigit + (lower - '0')), 0, 0});
  } else if (lower == 0xB9 || lower == 0xB2 || lower == 0xB3) { // superscript digits
    auto digit = static_cast<unsigned short>(lower == 0xB9 ? 1 : lower - 0xB0);
    out.push_back({static_cast<unsigned short>(kDigit + digit), lower, 0});
  } else {
    out.push_back({static_cast<unsigned short>(kSymbol + lower), 0, 0});
  }
}

struct SortKey {
  std::vector<Element> elements;
  size_t ignorables = 0;
};

SortKey KeyOf(const unsigned char* text) {
  SortKey key;
  for (; *text != 0; ++text) {
    if (IsIgnorable(*text))
      ++key.ignorables;
    else
      AppendElements(*text, key.elements);
  }
  return key;
}

template <typename Field> int CompareLevel(const SortKey& a, const SortKey& b, Field field) {
  size_t common = std::min(a.elements.size(), b.elements.size());
  for (size_t i = 0; i < common; ++i) {
    auto fa = field(a.elements[i]), fb = field(b.elements[i]);
    if (fa != fb) return fa < fb ? -1 : 1;
  }
  if (a.elements.size() != b.elements.size()) return a.elements.size() < b.elements.size() ? -1 : 1;
  return 0;
}

// Windows orders a null string before any other and reports -1, 0 or 1.
int Compare(LPCSTR a, LPCSTR b, bool ignoreCase) {
  if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
  const auto* pa = reinterpret_cast<const unsigned char*>(a);
  const auto* pb = reinterpret_cast<const unsigned char*>(b);
  SortKey ka = KeyOf(pa), kb = KeyOf(pb);

  if (int r = CompareLevel(ka, kb, [](const Element& e) { return e.primary; })) return r;
  if (int r = CompareLevel(ka, kb, [](const Element& e) { return e.accent; })) return r;
  if (!ignoreCase) {
    if (int r = CompareLevel(ka, kb, [](const Element& e) { return e.upper; })) return r;
  }
  if (ka.ignorables != kb.ignorables) return ka.ignorables < kb.ignorables ? -1 : 1;
  // Same weights everywhere: settle on the (folded) bytes so that 0 means
  // equal text.
  for (;; ++pa, ++pb) {
    unsigned char ca = ignoreCase ? FoldCp1252(*pa) : *pa;
    unsigned char cb = ignoreCase ? FoldCp1252(*pb) : *pb;
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

} // namespace

int WINAPI lstrlenA(LPCSTR lpString) { return lpString == nullptr ? 0 : static_cast<int>(std::strlen(lpString)); }

LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
  if (lpString1 == nullptr || lpString2 == nullptr) return nullptr;
  return std::strcpy(lpString1, lpString2);
}

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  if (lpString1 == nullptr || lpString2 == nullptr) return nullptr;
  // At most iMaxLength-1 characters, then always a terminator (if there is
  // room for one at all). A negative length is unbounded, as on Windows.
  auto room = static_cast<UINT>(iMaxLength);
  LPSTR dst = lpString1;
  while (room > 1 && *lpString2 != '\0') {
    *dst++ = *lpString2++;
    --room;
  }
  if (room > 0) *dst = '\0';
  return lpString1;
}

LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
  if (lpString1 == nullptr || lpString2 == nullptr) return nullptr;
  return std::strcat(lpString1, lpString2);
}

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) { return Compare(lpString1, lpString2, false); }

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) { return Compare(lpString1, lpString2, true); }
