// Folding and matching typed names.
#include "rules/name_match.h"

namespace abk {

namespace {

// U+00C0 to U+00FF without their accents; two letters where one letter stands for two.
const char* const kLatin1[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",  // C0-CF
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss", // D0-DF
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",  // E0-EF
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y",  // F0-FF
};

// U+0100 to U+017F (Latin Extended-A), one base letter each, in pairs of capital and small.
const char kExtendedA[] = "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkklllllll"
                          "lllnnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";

// Appends up to two folded characters; false when the buffer is full.
bool Push(FoldedText* folded, WCHAR c) {
  if (folded->length == kMaxFoldedChars) {
    folded->whole = false;
    return false;
  }
  folded->chars[folded->length++] = c;
  return true;
}

// The folded form of one UTF-16 unit: up to two characters in out, their number returned.
size_t FoldChar(WCHAR c, WCHAR out[2]) {
  if (c >= 'A' && c <= 'Z') {
    out[0] = static_cast<WCHAR>(c - 'A' + 'a');
    return 1;
  }
  if (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) { // the multiplication and division signs are no letters
    const char* letters = kLatin1[c - 0xC0];
    size_t n = 0;
    for (; letters[n]; ++n)
      out[n] = static_cast<WCHAR>(letters[n]);
    return n;
  }
  if (c == 0x152 || c == 0x153) { // Œ œ
    out[0] = 'o';
    out[1] = 'e';
    return 2;
  }
  if (c == 0x132 || c == 0x133) { // Ĳ ĳ
    out[0] = 'i';
    out[1] = 'j';
    return 2;
  }
  if (c >= 0x100 && c - 0x100u < sizeof kExtendedA - 1) {
    out[0] = static_cast<WCHAR>(kExtendedA[c - 0x100]);
    return 1;
  }
  out[0] = c;
  return 1;
}

// The folded form of each byte of a single-byte ANSI code page, worked out once per process. A code page
// where some byte is no character on its own (a double-byte one, or UTF-8) has no such table.
struct ByteFolds {
  bool singleByte = true;
  WCHAR wide[256];
  unsigned char count[256];
  WCHAR chars[256][2];
};

ByteFolds MakeByteFolds() {
  ByteFolds folds{};
  for (int b = 1; b < 256; ++b) {
    char byte = static_cast<char>(b);
    WCHAR wide = 0;
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1) {
      folds.singleByte = false;
      return folds;
    }
    folds.wide[b] = wide;
    folds.count[b] = static_cast<unsigned char>(FoldChar(wide, folds.chars[b]));
  }
  return folds;
}

const ByteFolds& TheByteFolds() {
  static const ByteFolds folds = MakeByteFolds();
  return folds;
}

bool IsWordBreak(WCHAR c) { return c == ' ' || c == '-' || c == ',' || c == '.' || c == '(' || c == '\''; }

// A prefix of the text or of any of its words.
bool PrefixOfAWord(WideView text, WideView typed) {
  for (size_t at = 0; at < text.size(); ++at) {
    bool wordStart = at == 0 || IsWordBreak(text[at - 1]);
    if (wordStart && text.substr(at).starts_with(typed)) return true;
  }
  return false;
}

} // namespace

void FoldInto(WideView text, FoldedText* folded) {
  folded->length = 0;
  folded->whole = true;
  for (WCHAR c : text) {
    WCHAR out[2];
    size_t n = FoldChar(c, out);
    for (size_t k = 0; k < n; ++k)
      if (!Push(folded, out[k])) return;
  }
}

void FoldBookText(const char* text, FoldedText* folded) {
  folded->length = 0;
  folded->whole = true;
  if (!text || !*text) return;
  const ByteFolds& folds = TheByteFolds();
  if (folds.singleByte) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
      for (size_t k = 0; k < folds.count[*p]; ++k)
        if (!Push(folded, folds.chars[*p][k])) return;
    return;
  }
  FoldedText wide;
  WidenBookText(text, &wide);
  FoldInto(wide.View(), folded);
  folded->whole = folded->whole && wide.whole;
}

void CopyInto(WideView text, FoldedText* copy) {
  copy->length = 0;
  copy->whole = true;
  for (WCHAR c : text)
    if (!Push(copy, c)) return;
}

void WidenBookText(const char* text, FoldedText* wide) {
  wide->length = 0;
  wide->whole = true;
  if (!text || !*text) return;
  const ByteFolds& folds = TheByteFolds();
  if (folds.singleByte) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
      if (!Push(wide, folds.wide[*p])) return;
    return;
  }
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, wide->chars, static_cast<int>(kMaxFoldedChars));
  if (length <= 0) {
    wide->whole = false;
    return;
  }
  wide->length = static_cast<size_t>(length - 1);
}

WideText FoldForMatch(const WideText& text) {
  WideText result;
  for (WCHAR c : text) {
    WCHAR out[2];
    size_t n = FoldChar(c, out);
    result.append(out, n);
  }
  return result;
}

MatchRank MatchEntry(WideView typed, const MatchViews& entry) {
  if (typed.empty()) return MatchRank::kNone;
  if (entry.displayName == typed) return MatchRank::kExact;
  if (PrefixOfAWord(entry.displayName, typed) || entry.givenName.starts_with(typed) ||
      entry.surname.starts_with(typed) || entry.company.starts_with(typed))
    return MatchRank::kPrefix;
  return MatchRank::kNone;
}

MatchRank MatchEntry(const WideText& typed, const MatchTexts& entry) {
  return MatchEntry(WideView(typed), MatchViews{entry.displayName, entry.givenName, entry.surname, entry.company});
}

} // namespace abk
