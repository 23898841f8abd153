// Text in and out of abkhost. Inside, every string is UTF-8. The book holds its code page (Windows-1252 on
// Linux, the ANSI code page on Windows); a Windows console gets wide text, and any other output UTF-8
// unless Windows-1252 is asked for.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace abkhost {

enum class OutputEncoding { kUtf8, kWindows1252 };
void SetOutputEncoding(OutputEncoding encoding);

// Writes UTF-8 text to stdout or stderr.
void Write(FILE* stream, const std::string& utf8);
// printf into UTF-8, then Write. mingw's C++ runtime formats as GNU printf does (%zu included).
#if defined(__MINGW32__)
#define ABKHOST_PRINTF __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
#define ABKHOST_PRINTF __attribute__((format(printf, 1, 2)))
#else
#define ABKHOST_PRINTF
#endif
ABKHOST_PRINTF void Out(const char* format, ...);
ABKHOST_PRINTF void Err(const char* format, ...);

// The command line as UTF-8: on Windows read again as wide text, so no character is lost to the ANSI code
// page; elsewhere as given.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// UTF-8 in the book's code page; *lost (when given) says whether a character has no form there and became
// '?'.
std::string ToBook(const std::string& utf8, bool* lost = nullptr);
// The book's code page in UTF-8.
std::string FromBook(const std::string& book);

// Control characters (below 0x20, and DEL) written as \n, \t, \r, \e or \xNN, so a value can never steer
// the terminal; backslashes doubled.
std::string EscapeControls(const std::string& utf8);
// A file name typed as UTF-8, and back.
std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

// Columns a UTF-8 text takes in a terminal: one per character.
size_t DisplayWidth(const std::string& utf8);

} // namespace abkhost
