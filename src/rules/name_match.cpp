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

void AppendFolded(WCHAR c, WideText* out) {
  if (c >= 'A' && c <= 'Z') {
    out->push_back(static_cast<WCHAR>(c - 'A' + 'a'));
  } else if (c >= 0xC0 && c <= 0xFF) {
    if (c == 0xD7 || c == 0xF7) { // the multiplication and division signs are no letters
      out->push_back(c);
      return;
    }
    for (const char* p = kLatin1[c - 0xC0]; *p; ++p)
      out->push_back(static_cast<WCHAR>(*p));
  } else if (c >= 0x100 && c <= 0x17F) {
    size_t index = c - 0x100;
    if (c == 0x152 || c == 0x153) { // Œ œ
      out->append({'o', 'e'});
    } else if (c == 0x132 || c == 0x133) { // Ĳ ĳ
      out->append({'i', 'j'});
    } else if (index < sizeof kExtendedA - 1) {
      out->push_back(static_cast<WCHAR>(kExtendedA[index]));
    } else {
      out->push_back(c);
    }
  } else {
    out->push_back(c);
  }
}

bool StartsWith(const WideText& text, size_t at, const WideText& prefix) {
  return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

// A prefix of the text or of any of its words (words are separated by anything but letters and digits).
bool PrefixOfAWord(const WideText& text, const WideText& typed) {
  for (size_t at = 0; at < text.size(); ++at) {
    bool wordStart = at == 0 || text[at - 1] == ' ' || text[at - 1] == '-' || text[at - 1] == ',' ||
                     text[at - 1] == '.' || text[at - 1] == '(' || text[at - 1] == '\'';
    if (wordStart && StartsWith(text, at, typed)) return true;
  }
  return false;
}

} // namespace

WideText FoldForMatch(const WideText& text) {
  WideText folded;
  folded.reserve(text.size());
  for (WCHAR c : text)
    AppendFolded(c, &folded);
  return folded;
}

MatchRank MatchEntry(const WideText& typed, const MatchTexts& entry) {
  if (typed.empty()) return MatchRank::kNone;
  if (entry.displayName == typed) return MatchRank::kExact;
  if (PrefixOfAWord(entry.displayName, typed) || StartsWith(entry.givenName, 0, typed) ||
      StartsWith(entry.surname, 0, typed) || StartsWith(entry.company, 0, typed))
    return MatchRank::kPrefix;
  return MatchRank::kNone;
}

} // namespace abk
