// Text conversion for abkhost.
#include "host/abkhost_text.h"

#include <cstdarg>
#include <cstring>

#include "platform/platform.h"

#ifdef _WIN32
#include <io.h>
#include <shellapi.h>
#endif

namespace abkhost {

namespace {

using WideString = std::basic_string<WCHAR>;

OutputEncoding g_output = OutputEncoding::kUtf8;

UINT BookCodePage() {
#ifdef _WIN32
  return CP_ACP;
#else
  return 1252;
#endif
}

WideString Widen(const std::string& text, UINT codePage) {
  if (text.empty()) return WideString();
  int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return WideString();
  WideString wide(static_cast<size_t>(length), 0);
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string Narrow(const WideString& wide, UINT codePage, bool* lost) {
  if (lost) *lost = false;
  if (wide.empty()) return std::string();
  BOOL usedDefault = FALSE;
  BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
  DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  LPCWCH input = wide.data();
  int length = WideCharToMultiByte(codePage, flags, input, static_cast<int>(wide.size()), nullptr, 0, nullptr, used);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, input, static_cast<int>(wide.size()), &text[0], length, nullptr, used);
  if (lost) *lost = usedDefault != FALSE;
  return text;
}

std::string Format(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  vsnprintf(&text[0], text.size(), format, args);
  text.pop_back();
  return text;
}

#ifdef _WIN32
// The console behind a stream, or null when the stream is redirected.
HANDLE ConsoleOf(FILE* stream) {
  HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}
#endif

} // namespace

void SetOutputEncoding(OutputEncoding encoding) { g_output = encoding; }

void Write(FILE* stream, const std::string& utf8) {
#ifdef _WIN32
  if (HANDLE console = ConsoleOf(stream)) {
    fflush(stream);
    WideString wide = Widen(utf8, CP_UTF8);
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
#endif
  std::string bytes = g_output == OutputEncoding::kUtf8 ? utf8 : Narrow(Widen(utf8, CP_UTF8), 1252, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), stream);
}

void Out(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  Write(stdout, text);
}

void Err(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  Write(stderr, text);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  std::vector<std::string> arguments;
#ifdef _WIN32
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide) {
    for (int i = 0; i < count; ++i)
      arguments.push_back(Narrow(wide[i], CP_UTF8, nullptr));
    LocalFree(wide);
    return arguments;
  }
#endif
  for (int i = 0; i < argc; ++i)
    arguments.push_back(argv[i]);
  return arguments;
}

std::string ToBook(const std::string& utf8, bool* lost) { return Narrow(Widen(utf8, CP_UTF8), BookCodePage(), lost); }

std::string FromBook(const std::string& book) { return Narrow(Widen(book, BookCodePage()), CP_UTF8, nullptr); }

std::string EscapeControls(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    unsigned char next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      // A C1 control (U+0080 to U+009F), which some terminals obey as well.
      char escape[8];
      snprintf(escape, sizeof escape, "\\u%04X", next);
      out += escape;
      ++i;
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == 0x1B) {
      out += "\\e";
    } else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

size_t DisplayWidth(const std::string& utf8) {
  size_t width = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++width;
  return width;
}

} // namespace abkhost
