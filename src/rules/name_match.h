// Matching what a user types against an entry, the one way the whole provider finds people: the typed
// text matches when it is a prefix of the display name or of any word in it, of the given name, the
// surname or the company, compared without case and without accents. An exact display name ranks above
// prefix matches. Texts are folded in UTF-16, so the letters of any code page fold alike; folding a text
// never allocates, so the provider can match while it holds a table's lock.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace abk {

using WideText = std::basic_string<WCHAR>;
using WideView = std::basic_string_view<WCHAR>;

// Room for any stored value folded: 255 bytes of the book's code page are at most 255 characters, and
// folding at most doubles them (Æ to ae).
constexpr size_t kMaxFoldedChars = 512;

// A folded text in a fixed buffer. `whole` is false when the text did not fit or could not be read; such
// a text matches nothing.
struct FoldedText {
  WCHAR chars[kMaxFoldedChars];
  size_t length = 0;
  bool whole = true;
  WideView View() const { return WideView(chars, length); }
};

// Lower case, accents taken off (é to e, Æ to ae, ß to ss), for comparing.
void FoldInto(WideView text, FoldedText* folded);
// The same for a value as the book stores it, in the ANSI code page; null folds to the empty text.
void FoldBookText(const char* text, FoldedText* folded);
WideText FoldForMatch(const WideText& text);
// The text as it is, for comparisons that keep case and accents.
void WidenBookText(const char* text, FoldedText* wide);
void CopyInto(WideView text, FoldedText* copy);

// The texts of an entry that a typed text may match, each folded.
struct MatchViews {
  WideView displayName;
  WideView givenName;
  WideView surname;
  WideView company;
};

enum class MatchRank { kNone, kPrefix, kExact };

// How `typed` (folded) matches an entry. An empty typed text matches nothing.
MatchRank MatchEntry(WideView typed, const MatchViews& entry);

// For callers that hold whole strings (abkhost, tests).
struct MatchTexts {
  WideText displayName;
  WideText givenName;
  WideText surname;
  WideText company;
};
MatchRank MatchEntry(const WideText& typed, const MatchTexts& entry);

} // namespace abk
