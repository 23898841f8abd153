// The profile file: reading and writing the three service properties.
#include "host/profile_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "provider/host_interfaces.h"

namespace host {

namespace {

std::string ToHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char c : bytes) {
    text += kDigits[c >> 4];
    text += kDigits[c & 15];
  }
  return text;
}

std::string FromHex(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2)
    bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
  return bytes;
}

} // namespace

bool LoadProfileFile(const std::string& path, ProfileSection* section) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "display_name") section->SetString(PR_DISPLAY_NAME, value);
    if (key == "file_path") section->SetString(PR_AB_FILE_PATH, value);
    if (key == "service_uid" && value.size() == 32) {
      std::string uid = FromHex(value);
      section->SetBinary(PR_SERVICE_UID, uid.data(), static_cast<ULONG>(uid.size()));
    }
  }
  return true;
}

bool SaveProfileFile(const std::string& path, const ProfileSection& section) {
  std::error_code ignored;
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  std::string value;
  if (section.GetString(PR_DISPLAY_NAME, &value)) out << "display_name=" << value << "\n";
  value.clear();
  if (section.GetString(PR_AB_FILE_PATH, &value)) out << "file_path=" << value << "\n";
  value.clear();
  if (section.GetBinary(PR_SERVICE_UID, &value)) out << "service_uid=" << ToHex(value) << "\n";
  return static_cast<bool>(out.flush());
}

std::string DefaultProfileFile() {
  if (const char* file = std::getenv("ABK_PROFILE_FILE"); file && *file) return file;
#ifdef _WIN32
  if (const char* appData = std::getenv("APPDATA"); appData && *appData) return std::string(appData) + "\\abk\\profile";
  return "abk-profile";
#else
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
    return std::string(config) + "/abk/profile";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : ".") + "/.config/abk/profile";
#endif
}

} // namespace host
