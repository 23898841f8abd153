// The current user's registry hive as a small settings file. Each line is one key or one value:
//   K <key path>
//   V <key path> TAB <value name> TAB <type> TAB <data in hex>
// Key paths and value names compare without case, as on Windows. The file is read on every call and
// written back after every change, so separate processes see each other's values.
#include <windows.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Value {
  std::string name;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Key {
  std::map<std::string, Value> values; // by lower-case name
};

using Hive = std::map<std::string, Key>; // by lower-case path

struct OpenKey {
  std::string path; // lower case; empty for the hive's root
};

std::mutex g_lock;
std::set<OpenKey*> g_open;

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string HivePath() {
  if (const char* file = std::getenv("ABK_REGISTRY_FILE"); file && *file) return file;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + "/abk/registry";
  }
  const char* home = std::getenv("HOME");
  return std::string(home ? home : ".") + "/.config/abk/registry";
}

std::string ToHex(const std::vector<BYTE>& data) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (BYTE b : data) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::vector<BYTE> FromHex(const std::string& text) {
  std::vector<BYTE> out;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    out.push_back(static_cast<BYTE>(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16)));
  }
  return out;
}

Hive LoadHive() {
  Hive hive;
  std::ifstream in(HivePath());
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 2) continue;
    if (line[0] == 'K') {
      hive[Lower(line.substr(2))];
      continue;
    }
    if (line[0] != 'V') continue;
    std::istringstream fields(line.substr(2));
    std::string path, name, type, hex;
    if (!std::getline(fields, path, '\t') || !std::getline(fields, name, '\t') || !std::getline(fields, type, '\t')) {
      continue;
    }
    std::getline(fields, hex);
    Value value{name, static_cast<DWORD>(std::strtoul(type.c_str(), nullptr, 10)), FromHex(hex)};
    hive[Lower(path)].values[Lower(name)] = value;
  }
  return hive;
}

bool SaveHive(const Hive& hive) {
  std::string path = HivePath();
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
  }
  std::ofstream out(path, std::ios::trunc);
  if (!out) return false;
  for (const auto& [keyPath, key] : hive) {
    out << "K " << keyPath << '\n';
    for (const auto& [lower, value] : key.values) {
      out << "V " << keyPath << '\t' << value.name << '\t' << value.type << '\t' << ToHex(value.data) << '\n';
    }
  }
  return static_cast<bool>(out.flush());
}

bool KeyExists(const Hive& hive, const std::string& path) {
  if (path.empty()) return true;
  for (const auto& [keyPath, key] : hive) {
    if (keyPath == path || keyPath.rfind(path + "\\", 0) == 0) return true;
  }
  return false;
}

// The key path a handle stands for; false for a handle that is neither the hive nor an open key.
bool PathOf(HKEY handle, std::string* path) {
  if (handle == HKEY_CURRENT_USER) {
    path->clear();
    return true;
  }
  OpenKey* key = reinterpret_cast<OpenKey*>(handle);
  if (!g_open.count(key)) return false;
  *path = key->path;
  return true;
}

std::string Join(const std::string& base, const char* sub) {
  std::string tail = Lower(sub ? sub : "");
  while (!tail.empty() && tail.back() == '\\')
    tail.pop_back();
  if (tail.empty()) return base;
  return base.empty() ? tail : base + "\\" + tail;
}

HKEY NewHandle(const std::string& path) {
  OpenKey* key = new OpenKey{path};
  g_open.insert(key);
  return reinterpret_cast<HKEY>(key);
}

} // namespace

extern "C" LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, HKEY* phkResult) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string base;
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  if (!PathOf(hKey, &base)) return ERROR_INVALID_HANDLE;
  std::string path = Join(base, lpSubKey);
  if (!KeyExists(LoadHive(), path)) return ERROR_FILE_NOT_FOUND;
  *phkResult = NewHandle(path);
  return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM, void*,
                                          HKEY* phkResult, LPDWORD lpdwDisposition) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string base;
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  if (!PathOf(hKey, &base)) return ERROR_INVALID_HANDLE;
  std::string path = Join(base, lpSubKey);
  Hive hive = LoadHive();
  bool existed = KeyExists(hive, path);
  if (!existed) {
    hive[path];
    if (!SaveHive(hive)) return ERROR_ACCESS_DENIED;
  }
  if (lpdwDisposition) *lpdwDisposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  *phkResult = NewHandle(path);
  return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                           LPDWORD lpcbData) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string path;
  if (!PathOf(hKey, &path)) return ERROR_INVALID_HANDLE;
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  Hive hive = LoadHive();
  auto key = hive.find(path);
  if (key == hive.end()) return ERROR_FILE_NOT_FOUND;
  auto found = key->second.values.find(Lower(lpValueName ? lpValueName : ""));
  if (found == key->second.values.end()) return ERROR_FILE_NOT_FOUND;
  const Value& value = found->second;
  if (lpType) *lpType = value.type;
  DWORD size = static_cast<DWORD>(value.data.size());
  if (!lpcbData) return ERROR_SUCCESS;
  DWORD room = *lpcbData;
  *lpcbData = size;
  if (!lpData) return ERROR_SUCCESS;
  if (room < size) return ERROR_MORE_DATA;
  if (size) std::memcpy(lpData, value.data.data(), size);
  return ERROR_SUCCESS;
}

extern "C" LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                                         DWORD cbData) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string path;
  if (!PathOf(hKey, &path)) return ERROR_INVALID_HANDLE;
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  Hive hive = LoadHive();
  std::string name = lpValueName ? lpValueName : "";
  Value& value = hive[path].values[Lower(name)];
  value.name = name;
  value.type = dwType;
  value.data.assign(lpData, lpData + cbData);
  return SaveHive(hive) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

extern "C" LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string path;
  if (!PathOf(hKey, &path)) return ERROR_INVALID_HANDLE;
  Hive hive = LoadHive();
  auto key = hive.find(path);
  if (key == hive.end() || !key->second.values.erase(Lower(lpValueName ? lpValueName : ""))) {
    return ERROR_FILE_NOT_FOUND;
  }
  return SaveHive(hive) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Deletes a key without subkeys, as Windows does.
extern "C" LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string base;
  if (!PathOf(hKey, &base)) return ERROR_INVALID_HANDLE;
  std::string path = Join(base, lpSubKey);
  Hive hive = LoadHive();
  if (path.empty() || !KeyExists(hive, path)) return ERROR_FILE_NOT_FOUND;
  for (const auto& [keyPath, key] : hive) {
    if (keyPath.rfind(path + "\\", 0) == 0) return ERROR_ACCESS_DENIED;
  }
  hive.erase(path);
  return SaveHive(hive) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

extern "C" LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (hKey == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  OpenKey* key = reinterpret_cast<OpenKey*>(hKey);
  if (!g_open.erase(key)) return ERROR_INVALID_HANDLE;
  delete key;
  return ERROR_SUCCESS;
}
