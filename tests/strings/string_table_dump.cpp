// Every string of the provider's string table as LoadStringA returns it, one line per string: the id,
// a tab, the bytes in hex. "--write FILE" writes the list; "--compare FILE" checks that this platform
// loads exactly the strings listed (the Linux layer's list, checked against Windows' own LoadStringA).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "host/provider_module.h"

namespace {

std::string ProviderPath() {
#ifdef _WIN32
  return host::ProgramFolder() + "ABKPRV01.DLL";
#else
  return host::ProgramFolder() + "libabkprv01.so";
#endif
}

std::string Hex(const char* bytes, int length) {
  std::string out;
  char pair[3];
  for (int i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
    out += pair;
  }
  return out;
}

std::map<int, std::string> LoadAll(HINSTANCE module) {
  std::map<int, std::string> strings;
  static char text[8192];
  for (int id = 0; id <= 0xFFFF; ++id) {
    int length = LoadStringA(module, static_cast<UINT>(id), text, sizeof text);
    if (length > 0) strings[id] = Hex(text, length);
  }
  return strings;
}

std::map<int, std::string> ReadList(const std::string& file, bool* ok) {
  std::map<int, std::string> strings;
  std::ifstream in(file);
  *ok = static_cast<bool>(in);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    int id = 0;
    std::string hex;
    if (fields >> id >> hex) strings[id] = hex;
  }
  return strings;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "--write") != 0 && std::strcmp(argv[1], "--compare") != 0)) {
    std::cerr << "usage: string_table_dump --write FILE | --compare FILE\n";
    return 2;
  }
  HINSTANCE module = static_cast<HINSTANCE>(LoadLibraryA(ProviderPath().c_str()));
  if (!module) {
    std::cerr << "cannot load " << ProviderPath() << "\n";
    return 1;
  }
  std::map<int, std::string> loaded = LoadAll(module);
  // The message caption is always there: an empty list means the resources were not found.
  if (!loaded.count(10)) {
    std::cerr << "string 10 not loaded from " << ProviderPath() << "\n";
    return 1;
  }
  if (std::strcmp(argv[1], "--write") == 0) {
    std::ofstream out(argv[2], std::ios::trunc);
    for (const auto& [id, hex] : loaded)
      out << id << '\t' << hex << '\n';
    std::cout << loaded.size() << " strings written to " << argv[2] << "\n";
    return out ? 0 : 1;
  }
  bool ok = false;
  std::map<int, std::string> expected = ReadList(argv[2], &ok);
  if (!ok || expected.empty()) {
    std::cerr << "no string list at " << argv[2] << " (the Linux tests write it)\n";
    return 1;
  }
  int differences = 0;
  for (const auto& [id, hex] : expected) {
    auto found = loaded.find(id);
    if (found == loaded.end() || found->second != hex) {
      std::cerr << "string " << id << ": listed " << hex << ", loaded "
                << (found == loaded.end() ? std::string("nothing") : found->second) << "\n";
      ++differences;
    }
  }
  for (const auto& [id, hex] : loaded) {
    if (!expected.count(id)) {
      std::cerr << "string " << id << " loaded but not listed: " << hex << "\n";
      ++differences;
    }
  }
  std::cout << expected.size() << " strings compared, " << differences << " differences\n";
  return differences ? 1 : 0;
}
