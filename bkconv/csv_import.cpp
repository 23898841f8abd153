// CnvAddressBook: the CSV book beside the default book, taken in whole or not at all.
#include "csv_import.h"

#include <algorithm>
#include <new>

#include "book_file.h"
#include "csv_reader.h"
#include "default_book.h"
#include "os_file.h"
#include "registry.h"

namespace bkconv {
namespace {

constexpr size_t kMaxCsvBytes = 16u << 20;
constexpr size_t kNotesShown = 20;

// FNV-1a: the book remembers each file it took in by this, so the same file is never taken in twice.
uint64_t Fingerprint(const std::string& bytes) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (unsigned char c : bytes)
    hash = (hash ^ c) * 0x100000001B3ull;
  return hash;
}

ULONG ReadWholeFile(const std::string& path, uint64_t size, std::string* text) {
  OsFile file;
  if (file.Open(path, OsFile::ReadOnly) != OsError::None) return STORE_STATUS_DISK_ERROR;
  text->resize(static_cast<size_t>(size));
  size_t read = 0;
  if (file.ReadAt(0, &(*text)[0], text->size(), &read) != OsError::None) return STORE_STATUS_DISK_ERROR;
  text->resize(read);
  return 0;
}

void AddMember(CsvEntry& entry, ULONG member, ULONG faxSelection) {
  GroupMemberRecord record = {};
  record.marker = STORE_MEMBER_MARKER;
  record.memberId = member;
  record.faxSelection = faxSelection;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&record);
  entry.records.insert(entry.records.end(), bytes, bytes + sizeof record);
  entry.count += 1;
}

// Adds the entries to the book's transaction, then their members, which may be any entry of the file.
// Returns a status word.
ULONG AddEntries(std::vector<CsvEntry>& entries, uint64_t fingerprint, CachedBook& book) {
  std::vector<ULONG> ids;
  for (const CsvEntry& entry : entries) {
    ULONG id = 0;
    ULONG status = CreateEntryIn(book, entry.group, &id);
    if (status) return status;
    ids.push_back(id);
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    CsvEntry& entry = entries[i];
    for (const CsvMember& member : entry.members)
      AddMember(entry, ids[member.entry], member.faxSelection);
    std::vector<BYTE> packed;
    if (!PackRecords(entry.records.data(), entry.count, &packed)) return STORE_STATUS_FILE_ERROR;
    bool changed = false;
    ULONG status = SetRecordsIn(book, ids[i], entry.count, packed, &changed);
    if (status) return status;
  }
  return MarkImportedIn(book, fingerprint);
}

// Keeps the file, under a name that is not taken yet.
void RenameAside(const std::string& path) {
  std::string target = path + ".imported";
  for (int n = 2; n < 100 && RenameNoReplace(path, target) != OsError::None; ++n)
    target = path + ".imported." + std::to_string(n);
}

} // namespace

ULONG ImportDefaultCsv(std::unique_lock<std::mutex>& hold, ULONG* status) {
  std::string folder = DefaultBookFolder();
  if (folder.empty()) return 0;
  std::string csvPath = folder + kDefaultCsvName;
  FileKey key;
  if (StatPath(csvPath, &key) != OsError::None) return 0;
  if (key.size > kMaxCsvBytes) {
    *status = STORE_STATUS_FILE_ERROR;
    return 0;
  }
  std::string text;
  *status = ReadWholeFile(csvPath, key.size, &text);
  if (*status) return 0;
  uint64_t fingerprint = Fingerprint(text);
  std::vector<CsvEntry> entries;
  std::vector<std::string> notes;
  bool readable = ReadCsvEntries(text, &entries, &notes);
  // The first few say enough to find the rest; a mangled file must not flood the debugger.
  size_t shown = std::min<size_t>(notes.size(), kNotesShown);
  for (size_t i = 0; i < shown; ++i)
    Explain(csvPath, notes[i]);
  if (notes.size() > shown) Explain(csvPath, std::to_string(notes.size() - shown) + " more");
  // A file that cannot be taken in whole and as written stays where it is, untouched, for its owner to
  // correct: taking in part of it would lose the rest once the file is moved aside.
  if (!readable) {
    *status = STORE_STATUS_FILE_ERROR;
    return 0;
  }

  std::string bookPath = DefaultBookPath(status);
  if (*status) return 0;
  Registry& registry = Registry::Instance();
  ULONG handle = 0;
  *status = registry.Open(hold, bookPath, &handle);
  if (*status) return 0;
  CachedBook& book = *registry.Find(handle);
  ULONG imported = 0;
  if (!book.state.Imported().count(fingerprint)) {
    try {
      *status = AddEntries(entries, fingerprint, book);
    } catch (const std::bad_alloc&) {
      // The transaction is dropped and the book closed below, as on any failure.
      *status = STORE_STATUS_DISK_ERROR;
    }
    imported = static_cast<ULONG>(entries.size());
    registry.NoteChange(handle);
    if (*status) registry.Rollback(handle);
  }
  bool known = false;
  ULONG closed = registry.Close(handle, &known);
  if (!*status) *status = closed;
  if (*status) return 0;
  // The book holds the entries and remembers the file, so moving it aside is only tidying: should it fail,
  // the next call finds the file already taken in and tries the rename again.
  RenameAside(csvPath);
  return imported;
}

} // namespace bkconv
