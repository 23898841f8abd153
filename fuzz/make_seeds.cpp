// Writes the seed corpus of every fuzz target: books made by the store library, identifiers and short
// op programs in each target's input encoding. Run through fuzz/make_seeds.sh.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kit/store_kit.h"
#include "store/store_abi.h"

namespace fs = std::filesystem;

namespace {

fs::path root;

void Write(const std::string& target, const std::string& name, const std::string& bytes) {
  fs::create_directories(root / target);
  std::ofstream out(root / target / name, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Bytes(std::initializer_list<int> list) {
  std::string bytes;
  for (int b : list)
    bytes += static_cast<char>(b);
  return bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A book through the library's exports; persons and groups as the fuzz book has them, then a deletion
// and a replaced record set when asked, so the replay meets every frame kind.
std::string MakeBook(int persons, int groups, bool churn) {
  fs::path path = fs::temp_directory_path() / ("abk-seed-" + std::to_string(persons) + std::to_string(churn) + ".adr");
  fs::remove(path);
  HMODULE module = LoadLibraryA(storekit::LibraryBesideProgram().c_str());
  if (!module) {
    fprintf(stderr, "libbkconv.so did not load\n");
    exit(1);
  }
  storekit::StoreExports store = storekit::BindExports(module);
  ULONG status = 0;
  ULONG handle = store.open(path.string().c_str(), &status);
  std::vector<ULONG> ids;
  for (int i = 0; i < persons; ++i) {
    ULONG id = store.createContact(handle, &status);
    ids.push_back(id);
    storekit::Records packed;
    packed.Field(storekit::field::kDisplayName, "P" + std::to_string(i));
    packed.Field(storekit::field::kPrimaryFax, "0123");
    StoreRecordBlock block = packed.Block();
    store.setProps(handle, id, &status, &block);
  }
  for (int g = 0; g < groups; ++g) {
    ULONG id = store.createGroup(handle, &status);
    storekit::Records packed;
    packed.Field(storekit::field::kDisplayName, "G" + std::to_string(g));
    packed.Member(ids.empty() ? 1 : ids[0], 3);
    StoreRecordBlock block = packed.Block();
    store.setProps(handle, id, &status, &block);
  }
  if (churn && !ids.empty()) {
    // A transaction of its own, after the one that made the entries.
    store.close(handle);
    handle = store.open(path.string().c_str(), &status);
    storekit::Records packed;
    packed.Field(storekit::field::kDisplayName, "Renamed");
    StoreRecordBlock block = packed.Block();
    store.setProps(handle, ids[0], &status, &block);
    store.deleteProps(handle, 0, &status, ids.back());
  }
  store.close(handle);
  FreeLibrary(module);
  std::string bytes = ReadFile(path);
  fs::remove(path);
  return bytes;
}

void StoreSeeds() {
  std::string small = MakeBook(2, 1, false);
  std::string churned = MakeBook(3, 1, true);
  std::string empty = MakeBook(0, 0, false);
  // Mode byte bit 0: checksums made right after mutation; bit 1: the book changed after reading; bit 2:
  // the change rolled back.
  Write("store", "small-book", std::string(1, '\0') + small);
  Write("store", "small-book-fixed", std::string(1, '\1') + small);
  Write("store", "churned-book", std::string(1, '\1') + churned);
  Write("store", "empty-book", std::string(1, '\0') + empty);
  Write("store", "torn-tail", std::string(1, '\0') + churned.substr(0, churned.size() - 9));
  Write("store", "zero-tail", std::string(1, '\0') + small + std::string(24, '\0'));
  Write("store", "churned-book-changed", std::string(1, '\3') + churned);
  Write("store", "torn-tail-changed", std::string(1, '\2') + churned.substr(0, churned.size() - 9));
  Write("store", "churned-book-rolled-back", std::string(1, '\7') + churned);
}

// In the identifier encoding: mode, record pick, type pick, parent pick, parent type pick.
const std::string kPersonInRoot = Bytes({2, 0, 1, 5, 0});
const std::string kGroupInRoot = Bytes({2, 2, 2, 5, 0});
const std::string kPersonInGroup = Bytes({2, 0, 1, 10, 2});
const std::string kForeign = Bytes({1, 0, 1, 5, 0});
const std::string kPersonTemplate = Bytes({2, 4, 3, 5, 0});

void EntryIdSeeds() {
  // Op byte, then the identifier; some ops take a second identifier or flags.
  Write("entry_ids", "open-person", Bytes({0}) + kPersonInRoot + Bytes({1}));
  Write("entry_ids", "open-group", Bytes({0}) + kGroupInRoot + Bytes({0}));
  Write("entry_ids", "compare", Bytes({1}) + kPersonInRoot + kPersonInGroup);
  Write("entry_ids", "prepare", Bytes({2}) + kPersonInGroup);
  Write("entry_ids", "open-in-root", Bytes({3}) + kPersonInRoot + Bytes({0}));
  Write("entry_ids", "open-in-group", Bytes({4}) + kPersonInGroup + Bytes({0}));
  Write("entry_ids", "delete-from-root", Bytes({5 + 0x80}) + kPersonInRoot + kForeign);
  Write("entry_ids", "delete-from-group", Bytes({6}) + kPersonInGroup + kPersonInGroup);
  Write("entry_ids", "copy-into-group", Bytes({7 + 0x80}) + kPersonInRoot + kGroupInRoot);
  Write("entry_ids", "copy-into-root", Bytes({8}) + kForeign + kForeign);
  Write("entry_ids", "create-from", Bytes({9}) + kPersonTemplate);
  Write("entry_ids", "contents", Bytes({10}) + kPersonInRoot + Bytes({0x80 + 10}) + kPersonInRoot);
  Write("entry_ids", "advise", Bytes({11}) + kPersonInRoot);
  Write("entry_ids", "short-raw", Bytes({0, 0, 7, 1, 2, 3, 4, 5, 6, 7}));
}

void RecipientSeeds() {
  // Mode, tag count and tags, rows: shape (value count, 0x40: an identifier), values, identifier.
  Write("recipients", "one-person",
        Bytes({0, 2, 0, 0, 1, 0, 1, 0x41, 0, 0, 4, 'B', 'o', 'b', 0}) + Bytes({0}) + kPersonInRoot);
  Write("recipients", "resolve", Bytes({2, 1, 0, 0, 2, 1, 0, 0, 3, 'P', '1', 0, 1, 0, 0, 3, 'x', 'y', 'z', 0}));
  Write("recipients", "null-tags", Bytes({1, 3, 0x42, 1, 0, 0, 0, 9, 0, 0, 1, 0}) + kGroupInRoot + Bytes({0}));
}

void PropSeeds() {
  // Target pick, then steps: op byte and its arguments.
  Write("props", "person-set-save", Bytes({0, 0, 1, 0, 0, 4, 'A', 'n', 'n', 'e', 5, 0}));
  Write("props", "group-get-all", Bytes({2, 0x82, 3}));
  Write("props", "root-set", Bytes({3, 0, 1, 9, 0, 0, 0, 0, 0, 2, 0, 0, 3}));
  Write("props", "new-person", Bytes({4, 0, 2, 0, 0, 3, 'N', 'e', 'w', 16, 0, 0, 3, '1', '2', '3', 5, 0}));
  Write("props", "new-group-delete", Bytes({5, 4, 1, 0, 0, 5, 0, 0x82}));
}

void TableSeeds() {
  // The index pick (0: the binary key), then op bytes and arguments: rows, a view, reads and seeks.
  const std::string rows = Bytes({0, 3, 0, 0, 2, 'a', 0, 0, 1, 0, 1, 5, 7, 0, 20, 9, 0, 0, 10, 1, 2, 13, 0});
  Write("tables", "rows-and-read", Bytes({0}) + rows);
  Write("tables", "bookmarks", Bytes({0, 0, 2, 1, 0, 0, 1, 5, 11, 0, 7, 0, 3, 0x8B, 0, 200, 9, 0, 150, 16}));
  Write("tables", "delete-query", Bytes({0, 0, 2, 1, 0, 0, 3, 2, 3, 3, 3, 4, 1, 5, 12, 0, 2, 0, 0, 1, 0, 7, 0, 5}));
  // Keys of a 32-bit integer (135), a string (148) and a 32-bit floating-point number (132).
  Write("tables", "long-index", Bytes({135}) + rows);
  Write("tables", "string-index", Bytes({148}) + rows);
  Write("tables", "float-index", Bytes({132}) + rows);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s CORPUS-FOLDER\n", argv[0]);
    return 2;
  }
  root = argv[1];
  StoreSeeds();
  EntryIdSeeds();
  RecipientSeeds();
  PropSeeds();
  TableSeeds();
  return 0;
}
