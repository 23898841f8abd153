// Matching what a user types against an entry, the one way the whole provider finds people: the typed
// text matches when it is a prefix of the display name or of any word in it, of the given name, the
// surname or the company, compared without case and without accents. An exact display name ranks above
// prefix matches. Texts are UTF-16, so the letters of any code page fold alike.
#pragma once

#include <string>

#include "platform/platform.h"

namespace abk {

using WideText = std::basic_string<WCHAR>;

// Lower case, accents taken off (é to e, Æ to ae, ß to ss), for comparing.
WideText FoldForMatch(const WideText& text);

// The texts of an entry that a typed text may match, each folded with FoldForMatch.
struct MatchTexts {
  WideText displayName;
  WideText givenName;
  WideText surname;
  WideText company;
};

enum class MatchRank { kNone, kPrefix, kExact };

// How `typed` (folded) matches an entry. An empty typed text matches nothing.
MatchRank MatchEntry(const WideText& typed, const MatchTexts& entry);

} // namespace abk
