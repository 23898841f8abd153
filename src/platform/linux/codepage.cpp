// MultiByteToWideChar / WideCharToMultiByte for Windows-1252 (the ANSI code page), Latin-1 and UTF-8.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

// ---------------------------------------------------------------------------
// Windows-1252. Only 0x80-0x9F differ from Latin-1. The five bytes the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control
// of the same value, exactly as Windows' own table does, so they round-trip.
// ---------------------------------------------------------------------------
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

char16_t Cp1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : static_cast<char16_t>(byte);
}

// Returns false if the character has no Windows-1252 byte.
bool UnicodeToCp1252(char16_t unit, unsigned char& byte) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
    byte = static_cast<unsigned char>(unit);
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (kCp1252High[i] == unit) {
      byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

enum class Charset { Cp1252, Latin1, Utf8, Unsupported };

Charset CharsetOf(UINT codePage) {
  switch (codePage) {
  case CP_ACP:
  case CP_THREAD_ACP:
  case 1252:
    return Charset::Cp1252;
  case 28591:
    return Charset::Latin1;
  case CP_UTF8:
    return Charset::Utf8;
  default:
    return Charset::Unsupported;
  }
}

// ---------------------------------------------------------------------------
// UTF-8. Ill-formed input becomes U+FFFD, one per maximal ill-formed subpart
// (the Unicode-recommended practice, as on Windows Vista and later);
// MB_ERR_INVALID_CHARS turns it into failure.
// ---------------------------------------------------------------------------
constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Decodes; returns false at the first ill-formed sequence when strict.
bool DecodeUtf8(const unsigned char* in, size_t length, bool strict, std::u16string& out) {
  size_t i = 0;
  while (i < length) {
    unsigned char lead = in[i];
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    size_t needed;
    char32_t cp;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      needed = 1;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      needed = 2;
      cp = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;  // no overlong forms
      if (lead == 0xED) high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      needed = 3;
      cp = lead & 0x07;
      if (lead == 0xF0) low = 0x90;  // no overlong forms
      if (lead == 0xF4) high = 0x8F; // nothing above U+10FFFF
    } else {
      if (strict) return false;
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    size_t taken = 1;
    bool complete = true;
    for (size_t k = 0; k < needed; ++k) {
      if (i + taken >= length) {
        complete = false;
        break;
      }
      unsigned char next = in[i + taken];
      unsigned char lo = k == 0 ? low : 0x80, hi = k == 0 ? high : 0xBF;
      if (next < lo || next > hi) {
        complete = false;
        break;
      }
      cp = (cp << 6) | (next & 0x3F);
      ++taken;
    }
    if (!complete) {
      if (strict) return false;
      out.push_back(kReplacement);
      i += taken;
      continue;
    }
    AppendCodePoint(out, cp);
    i += taken;
  }
  return true;
}

// Encodes; lone surrogates become U+FFFD, or fail when strict.
bool EncodeUtf8(const char16_t* in, size_t length, bool strict, std::string& out) {
  for (size_t i = 0; i < length; ++i) {
    char32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (strict) return false;
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return true;
}

// Windows' output contract: size 0 asks for the needed count; a buffer that
// is too small gets what fits and the call fails.
template <typename Unit> int Deliver(const std::basic_string<Unit>& result, Unit* out, int outSize) {
  if (outSize == 0) return static_cast<int>(result.size());
  if (result.size() > static_cast<size_t>(outSize)) {
    std::memcpy(out, result.data(), static_cast<size_t>(outSize) * sizeof(Unit));
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, result.data(), result.size() * sizeof(Unit));
  return static_cast<int>(result.size());
}

} // namespace

UINT WINAPI GetACP(void) { return 1252; }

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && lpWideCharStr == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Charset charset = CharsetOf(CodePage);
  if (charset == Charset::Unsupported) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const DWORD allowed = charset == Charset::Utf8
                            ? MB_ERR_INVALID_CHARS
                            : MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if ((dwFlags & ~allowed) != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }

  // -1 means "up to and including the terminator".
  size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  const auto* in = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
  std::u16string result;
  result.reserve(length);
  if (charset == Charset::Utf8) {
    if (!DecodeUtf8(in, length, (dwFlags & MB_ERR_INVALID_CHARS) != 0, result)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
  } else {
    for (size_t i = 0; i < length; ++i)
      result.push_back(charset == Charset::Cp1252 ? Cp1252ToUnicode(in[i]) : static_cast<char16_t>(in[i]));
  }
  return Deliver(result, lpWideCharStr, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && lpMultiByteStr == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Charset charset = CharsetOf(CodePage);
  if (charset == Charset::Unsupported) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length =
      cchWideChar == -1 ? std::char_traits<char16_t>::length(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
  std::string result;
  result.reserve(length);

  if (charset == Charset::Utf8) {
    // UTF-8 never substitutes a default character, so asking about one is an error.
    if ((dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
      SetLastError(ERROR_INVALID_FLAGS);
      return 0;
    }
    if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (!EncodeUtf8(lpWideCharStr, length, (dwFlags & WC_ERR_INVALID_CHARS) != 0, result)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    return Deliver(result, lpMultiByteStr, cbMultiByte);
  }

  const DWORD allowed = WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS;
  if ((dwFlags & ~allowed) != 0) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  // No best-fit table: anything without an exact byte becomes the default
  // character, one per UTF-16 unit.
  const char defaultChar = lpDefaultChar != nullptr ? *lpDefaultChar : '?';
  bool usedDefault = false;
  for (size_t i = 0; i < length; ++i) {
    char16_t unit = lpWideCharStr[i];
    unsigned char byte = 0;
    bool mapped = charset == Charset::Cp1252 ? UnicodeToCp1252(unit, byte)
                                             : (unit <= 0xFF ? (byte = static_cast<unsigned char>(unit), true) : false);
    if (!mapped) {
      byte = static_cast<unsigned char>(defaultChar);
      usedDefault = true;
    }
    result.push_back(static_cast<char>(byte));
  }
  if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = usedDefault;
  return Deliver(result, lpMultiByteStr, cbMultiByte);
}
