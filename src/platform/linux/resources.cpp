// Resources on Linux. A module's resources are the compiled resource file beside it: for
// ".../libabkprv01.so" the file ".../ABKPRV01.res" (the name without "lib" and ".so", in any case).
// The file is parsed once per process and kept; resource data stay valid for the life of the process,
// as a loaded module's resources do on Windows.
#include <dirent.h>
#include <strings.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "abk_kernel.h"
#include "abk_resource.h"

namespace {

// A resource type or name: a number, or a string (kept upper-case, as names compare without case).
struct ResourceId {
  bool isNumber = true;
  WORD number = 0;
  std::u16string text;
  bool operator==(const ResourceId& o) const {
    return isNumber == o.isNumber && (isNumber ? number == o.number : text == o.text);
  }
};

struct ResourceEntry {
  ResourceId type;
  ResourceId name;
  WORD language = 0;
  std::vector<BYTE> data;
};

struct ResourceFile {
  std::vector<ResourceEntry> entries;
};

std::mutex g_lock;
// Parsed files by module path; kept until the process ends (null: the module has no resource file).
std::map<std::string, std::unique_ptr<ResourceFile>>& Files() {
  static std::map<std::string, std::unique_ptr<ResourceFile>> files;
  return files;
}

// Reads a type or name field at offset; returns false when the field runs past the header.
bool ReadId(const std::vector<BYTE>& bytes, size_t end, size_t& offset, ResourceId& id) {
  if (offset + 2 > end) return false;
  WORD first;
  memcpy(&first, &bytes[offset], 2);
  if (first == 0xFFFF) {
    if (offset + 4 > end) return false;
    memcpy(&id.number, &bytes[offset + 2], 2);
    id.isNumber = true;
    offset += 4;
    return true;
  }
  id.isNumber = false;
  for (;;) {
    if (offset + 2 > end) return false;
    WORD c;
    memcpy(&c, &bytes[offset], 2);
    offset += 2;
    if (!c) break;
    id.text.push_back(static_cast<char16_t>(c >= 'a' && c <= 'z' ? c - 32 : c));
  }
  return true;
}

// The .res format: a sequence of (data size, header size, type, name, padding, data version, memory
// flags, language, version, characteristics) headers, each followed by its data padded to 4 bytes.
std::unique_ptr<ResourceFile> Parse(const std::vector<BYTE>& bytes) {
  auto file = std::make_unique<ResourceFile>();
  size_t offset = 0;
  while (offset + 8 <= bytes.size()) {
    DWORD dataSize, headerSize;
    memcpy(&dataSize, &bytes[offset], 4);
    memcpy(&headerSize, &bytes[offset + 4], 4);
    size_t headerEnd = offset + headerSize;
    if (headerSize < 16 || headerEnd > bytes.size() || dataSize > bytes.size() - headerEnd) break;
    ResourceEntry entry;
    size_t field = offset + 8;
    if (!ReadId(bytes, headerEnd, field, entry.type) || !ReadId(bytes, headerEnd, field, entry.name)) break;
    field = (field + 3) & ~size_t{3};
    if (field + 8 <= headerEnd) memcpy(&entry.language, &bytes[field + 6], 2);
    entry.data.assign(bytes.begin() + headerEnd, bytes.begin() + headerEnd + dataSize);
    // The first header of every file is an empty placeholder.
    if (dataSize || !entry.type.isNumber || entry.type.number) file->entries.push_back(std::move(entry));
    offset = (headerEnd + dataSize + 3) & ~size_t{3};
  }
  return file;
}

// The resource file of a module, or null when it has none.
ResourceFile* FileFor(HMODULE module) {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (!length || length >= sizeof path) return nullptr;
  std::string full(path, length);
  size_t slash = full.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : full.substr(0, slash);
  std::string stem = slash == std::string::npos ? full : full.substr(slash + 1);
  if (stem.compare(0, 3, "lib") == 0) stem = stem.substr(3);
  size_t dot = stem.find('.');
  if (dot != std::string::npos) stem = stem.substr(0, dot);
  std::string wanted = stem + ".res";

  std::lock_guard<std::mutex> guard(g_lock);
  auto cached = Files().find(full);
  if (cached != Files().end()) return cached->second.get();
  std::unique_ptr<ResourceFile> file;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* item = readdir(dir)) {
      if (strcasecmp(item->d_name, wanted.c_str()) != 0) continue;
      std::ifstream in(folder + "/" + item->d_name, std::ios::binary);
      std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      file = Parse(bytes);
      break;
    }
    closedir(dir);
  }
  ResourceFile* parsed = file.get();
  Files()[full] = std::move(file);
  return parsed;
}

ResourceId IdOf(LPCSTR value) {
  ResourceId id;
  if (IS_INTRESOURCE(value)) {
    id.number = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value));
    return id;
  }
  id.isNumber = false;
  if (value[0] == '#') { // "#123" names resource 123
    id.isNumber = true;
    id.number = static_cast<WORD>(strtoul(value + 1, nullptr, 10));
    return id;
  }
  for (const char* p = value; *p; ++p)
    id.text.push_back(static_cast<char16_t>(toupper(static_cast<BYTE>(*p))));
  return id;
}

} // namespace

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  if (!lpName || !lpType) return nullptr;
  ResourceFile* file = FileFor(hModule);
  if (!file) return nullptr;
  ResourceId type = IdOf(lpType), name = IdOf(lpName);
  for (ResourceEntry& entry : file->entries)
    if (entry.type == type && entry.name == name) return reinterpret_cast<HRSRC>(&entry);
  return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
  if (!hResInfo) return nullptr;
  return reinterpret_cast<ResourceEntry*>(hResInfo)->data.data();
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
  if (!hResInfo) return 0;
  return static_cast<DWORD>(reinterpret_cast<ResourceEntry*>(hResInfo)->data.size());
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (!lpBuffer || cchBufferMax <= 0) return 0;
  lpBuffer[0] = '\0';
  // Strings live in blocks of sixteen: block (id / 16) + 1, entry id % 16.
  HRSRC block = FindResourceA(hInstance, MAKEINTRESOURCEA((uID >> 4) + 1), RT_STRING);
  if (!block) return 0;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(hInstance, block)));
  DWORD size = SizeofResource(hInstance, block);
  size_t offset = 0;
  for (UINT index = 0; index <= (uID & 15); ++index) {
    if (offset + 2 > size) return 0;
    WORD length;
    memcpy(&length, data + offset, 2);
    offset += 2;
    if (offset + length * 2u > size) return 0;
    if (index < (uID & 15)) {
      offset += length * 2u;
      continue;
    }
    if (!length) return 0;
    std::vector<WCHAR> text(length);
    memcpy(text.data(), data + offset, length * 2u);
    int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::vector<char> ansi(bytes > 0 ? bytes : 0);
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, ansi.data(), bytes, nullptr, nullptr);
    int copied = bytes < cchBufferMax - 1 ? bytes : cchBufferMax - 1;
    memcpy(lpBuffer, ansi.data(), copied);
    lpBuffer[copied] = '\0';
    return copied;
  }
  return 0;
}

} // extern "C"
