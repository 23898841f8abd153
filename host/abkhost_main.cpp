// abkhost: the substitute host as a command-line tool. It loads the provider module by file name, as
// the real host does, and opens a session on an address book.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_allocators.h"
#include "host/host_support.h"
#include "host/profile_section.h"
#include "host/provider_module.h"

namespace {

// The service instance this tool's profile describes.
const BYTE kToolServiceUid[16] = {0x61, 0x62, 0x6B, 0x68, 0x6F, 0x73, 0x74, 0x00,
                                  0x53, 0x65, 0x72, 0x76, 0x69, 0x63, 0x65, 0x01};

const char* ProviderFileName() {
#ifdef _WIN32
  return "ABKPRV01.DLL";
#else
  return "libabkprv01.so";
#endif
}

// Windows-1252 text from the provider, shown in the terminal's UTF-8.
std::string ToTerminal(const char* ansi) {
#ifdef _WIN32
  return ansi;
#else
  int wide = MultiByteToWideChar(1252, 0, ansi, -1, nullptr, 0);
  std::vector<WCHAR> buffer(wide > 0 ? wide : 1);
  MultiByteToWideChar(1252, 0, ansi, -1, buffer.data(), wide);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(bytes > 0 ? bytes : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, buffer.data(), -1, &text[0], bytes, nullptr, nullptr);
  text.resize(strlen(text.c_str()));
  return text;
#endif
}

// The terminal's UTF-8, as the Windows-1252 text the provider keeps.
std::string FromTerminal(const std::string& utf8) {
#ifdef _WIN32
  return utf8;
#else
  int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (wide <= 0) return utf8;
  std::vector<WCHAR> buffer(wide);
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, buffer.data(), wide);
  int bytes = WideCharToMultiByte(1252, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(bytes > 0 ? bytes : 1, '\0');
  WideCharToMultiByte(1252, 0, buffer.data(), -1, &text[0], bytes, nullptr, nullptr);
  text.resize(strlen(text.c_str()));
  return text;
#endif
}

std::string Hex(const SBinary& bin) {
  std::string text;
  char digits[3];
  for (ULONG i = 0; i < bin.cb; ++i) {
    snprintf(digits, sizeof digits, "%02X", bin.lpb[i]);
    text += digits;
  }
  return text;
}

struct TagName {
  ULONG tag;
  const char* name;
};
const TagName kSessionTags[] = {
    {PR_DISPLAY_NAME, "PR_DISPLAY_NAME"},       {PR_ENTRYID, "PR_ENTRYID"},
    {PR_OBJECT_TYPE, "PR_OBJECT_TYPE"},         {PR_DEPTH, "PR_DEPTH"},
    {PR_CONTAINER_FLAGS, "PR_CONTAINER_FLAGS"}, {PR_SERVICE_DLL_NAME, "PR_SERVICE_DLL_NAME"},
};

void PrintValue(const char* name, const SPropValue& value) {
  switch (PROP_TYPE(value.ulPropTag)) {
  case PT_STRING8:
    printf("  %-20s %s\n", name, ToTerminal(value.Value.lpszA).c_str());
    break;
  case PT_BINARY:
    printf("  %-20s %s\n", name, Hex(value.Value.bin).c_str());
    break;
  case PT_LONG:
    printf("  %-20s %ld\n", name, static_cast<long>(value.Value.l));
    break;
  case PT_ERROR:
    printf("  %-20s (error 0x%08lX)\n", name, static_cast<unsigned long>(value.Value.err));
    break;
  default:
    printf("  %-20s (type 0x%04lX)\n", name, static_cast<unsigned long>(PROP_TYPE(value.ulPropTag)));
    break;
  }
}

int Usage(FILE* out) {
  fprintf(out, "usage: abkhost info [--book PATH] [--name NAME]\n"
               "  info   open a session on the address book and print the session's properties\n"
               "         --book PATH   the address-book file (default: the user's default book)\n"
               "         --name NAME   the service's display name\n");
  return out == stdout ? 0 : 2;
}

int Info(int argc, char** argv) {
  std::string book, name = "Fax address book";
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Usage(stdout);
    if ((arg == "--book" || arg == "--name") && i + 1 < argc) {
      (arg == "--book" ? book : name) = argv[++i];
      continue;
    }
    fprintf(stderr, "abkhost info: unknown argument '%s'\n", arg.c_str());
    return Usage(stderr);
  }

  host::ProviderModule module;
  std::string path = host::ProgramFolder() + ProviderFileName();
  if (!module.Load(path)) {
    fprintf(stderr, "abkhost: cannot load the provider module %s\n", path.c_str());
    return 1;
  }
  host::ProfileSection profile;
  host::HostSupport support;
  profile.SetString(PR_DISPLAY_NAME, FromTerminal(name));
  profile.SetBinary(PR_SERVICE_UID, kToolServiceUid, sizeof kToolServiceUid);
  if (!book.empty()) profile.SetString(PR_AB_FILE_PATH, FromTerminal(book));

  LPADRBOOK session = nullptr;
  HRESULT hr = module.Open(&support, &profile, &session);
  if (FAILED(hr)) {
    fprintf(stderr, "abkhost: the provider could not open a session (0x%08lX)\n", static_cast<unsigned long>(hr));
    return 1;
  }

  SizedSPropTagArray(6, tags) = {6, {}};
  for (int i = 0; i < 6; ++i)
    tags.aulPropTag[i] = kSessionTags[i].tag;
  ULONG count = 0;
  LPSPropValue values = nullptr;
  hr = session->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values);
  if (FAILED(hr)) {
    fprintf(stderr, "abkhost: the session did not answer its properties (0x%08lX)\n", static_cast<unsigned long>(hr));
    session->Release();
    return 1;
  }
  printf("Session on %s\n", book.empty() ? "the default address book" : book.c_str());
  for (ULONG i = 0; i < count; ++i)
    PrintValue(kSessionTags[i].name, values[i]);
  HostFreeBuffer(values);
  session->Release();
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") return Usage(stdout);
  if (command == "info") return Info(argc - 2, argv + 2);
  fprintf(stderr, "abkhost: unknown command '%s'\n", command.c_str());
  return Usage(stderr);
}
