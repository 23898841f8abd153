// The table's rows by position (slots and a count tree over them) and by index value (hash buckets).
#include "tables/row_index.h"

#include <cstring>

#include "props/prop_values.h"
#include "provider/heap.h"

namespace abk {

static bool IsHashedType(ULONG type) {
  switch (type) {
  case PT_BINARY:
  case PT_CLSID:
  case PT_LONG:
  case PT_I2:
  case PT_BOOLEAN:
    return true;
  default:
    return false;
  }
}

// FNV-1a: cheap, and good enough for record numbers and identifiers.
static ULONG HashBytes(const void* bytes, size_t size, ULONG hash = 2166136261u) {
  const BYTE* p = static_cast<const BYTE*>(bytes);
  for (size_t i = 0; i < size; ++i)
    hash = (hash ^ p[i]) * 16777619u;
  return hash;
}

RowIndex::RowIndex(ULONG indexTag) : indexType_(PROP_TYPE(indexTag)), hashed_(IsHashedType(PROP_TYPE(indexTag))) {}

RowIndex::~RowIndex() {
  Clear();
  HeapFree(rows_);
  HeapFree(counts_);
  HeapFree(buckets_);
}

static ULONG LowestBit(ULONG i) { return i & (0u - i); }

void RowIndex::AddToCount(ULONG slot, LONG delta) {
  for (ULONG i = slot + 1; i <= capacity_; i += LowestBit(i))
    counts_[i] = static_cast<ULONG>(static_cast<LONG>(counts_[i]) + delta);
}

void RowIndex::RebuildCounts() {
  memset(counts_, 0, (capacity_ + 1) * sizeof(ULONG));
  for (ULONG i = 1; i <= capacity_; ++i) {
    if (i - 1 < used_ && rows_[i - 1]) counts_[i] += 1;
    ULONG parent = i + LowestBit(i);
    if (parent <= capacity_) counts_[parent] += counts_[i];
  }
}

RowNode* RowIndex::At(ULONG position) const {
  if (position >= count_) return nullptr;
  // Down the count tree: the slot before which `position + 1` rows stand.
  ULONG slot = 0;
  ULONG left = position + 1;
  for (ULONG step = capacity_; step; step >>= 1) {
    if (slot + step <= capacity_ && counts_[slot + step] < left) {
      slot += step;
      left -= counts_[slot];
    }
  }
  return rows_[slot];
}

ULONG RowIndex::PositionOf(const RowNode* node) const {
  ULONG before = 0;
  for (ULONG i = node->slot; i; i -= LowestBit(i))
    before += counts_[i];
  return before;
}

void RowIndex::Compact() {
  ULONG kept = 0;
  for (ULONG i = 0; i < used_; ++i) {
    if (!rows_[i]) continue;
    rows_[kept] = rows_[i];
    rows_[kept]->slot = kept;
    ++kept;
  }
  for (ULONG i = kept; i < used_; ++i)
    rows_[i] = nullptr;
  used_ = kept;
  RebuildCounts();
}

ULONG RowIndex::HashOf(const SPropValue& value) const {
  switch (indexType_) {
  case PT_BINARY:
    if (!value.Value.bin.lpb) return HashBytes(nullptr, 0);
    return HashBytes(value.Value.bin.lpb, value.Value.bin.cb);
  case PT_CLSID:
    if (!value.Value.lpguid) return HashBytes(nullptr, 0);
    return HashBytes(value.Value.lpguid, sizeof(GUID));
  case PT_LONG:
    return HashBytes(&value.Value.l, sizeof value.Value.l);
  case PT_I2:
    return HashBytes(&value.Value.i, sizeof value.Value.i);
  default: { // PT_BOOLEAN: true is any non-zero value
    BYTE truth = value.Value.b != 0;
    return HashBytes(&truth, 1);
  }
  }
}

// ComparePropValues' equality, except that a missing string, GUID or binary (which it would read
// through) equals only another missing one.
bool RowIndex::KeysEqual(const SPropValue& a, const SPropValue& b) const {
  const void* x = nullptr;
  const void* y = nullptr;
  switch (indexType_) {
  case PT_BINARY:
    if (a.Value.bin.cb != b.Value.bin.cb) return false;
    if (a.Value.bin.cb == 0) return true;
    x = a.Value.bin.lpb, y = b.Value.bin.lpb;
    break;
  case PT_CLSID:
    x = a.Value.lpguid, y = b.Value.lpguid;
    break;
  case PT_STRING8:
    x = a.Value.lpszA, y = b.Value.lpszA;
    break;
  case PT_UNICODE:
    x = a.Value.lpszW, y = b.Value.lpszW;
    break;
  default:
    return ComparePropValues(&a, &b, indexType_) == 0;
  }
  if (!x || !y) return x == y;
  return ComparePropValues(&a, &b, indexType_) == 0;
}

RowNode* RowIndex::Find(const SPropValue& value) const {
  if (!Hashed()) {
    for (ULONG i = 0; i < used_; ++i)
      if (rows_[i] && rows_[i]->key && KeysEqual(*rows_[i]->key, value)) return rows_[i];
    return nullptr;
  }
  if (!bucketCount_) return nullptr;
  // Equality is an equivalence for these types and a row is never added beside an equal one, so the
  // first match in the bucket is the only one.
  ULONG hash = HashOf(value);
  for (RowNode* node = buckets_[hash & (bucketCount_ - 1)]; node; node = node->nextInBucket)
    if (node->hash == hash && KeysEqual(*node->key, value)) return node;
  return nullptr;
}

bool RowIndex::GrowRows() {
  // Room made by closing up empty slots costs no memory.
  if (count_ < used_) {
    Compact();
    if (used_ < capacity_) return true;
  }
  if (capacity_ > 0x0FFFFFFF) return false;
  ULONG capacity = capacity_ ? capacity_ * 2 : 64;
  auto* rows = static_cast<RowNode**>(HeapAllocate(capacity * sizeof(RowNode*)));
  auto* counts = static_cast<ULONG*>(HeapAllocate((capacity + 1) * sizeof(ULONG)));
  if (!rows || !counts) {
    HeapFree(rows);
    HeapFree(counts);
    return false;
  }
  memset(rows, 0, capacity * sizeof(RowNode*));
  if (used_) memcpy(rows, rows_, used_ * sizeof(RowNode*));
  HeapFree(rows_);
  HeapFree(counts_);
  rows_ = rows;
  counts_ = counts;
  capacity_ = capacity;
  RebuildCounts();
  return true;
}

bool RowIndex::GrowBuckets() {
  if (bucketCount_ > 0x0FFFFFFF) return false;
  ULONG bucketCount = bucketCount_ ? bucketCount_ * 2 : 64;
  auto* buckets = static_cast<RowNode**>(HeapAllocate(bucketCount * sizeof(RowNode*)));
  if (!buckets) return false;
  memset(buckets, 0, bucketCount * sizeof(RowNode*));
  HeapFree(buckets_);
  buckets_ = buckets;
  bucketCount_ = bucketCount;
  for (ULONG i = 0; i < used_; ++i) {
    RowNode* node = rows_[i];
    if (!node || !node->key) continue;
    RowNode** bucket = &buckets_[node->hash & (bucketCount_ - 1)];
    node->nextInBucket = *bucket;
    *bucket = node;
  }
  return true;
}

bool RowIndex::ReserveOneMore() {
  if (used_ == capacity_ && !GrowRows()) return false;
  // One bucket per row keeps the chains short.
  if (Hashed() && count_ + 1 > bucketCount_ && !GrowBuckets()) return false;
  return true;
}

void RowIndex::Link(RowNode* node) {
  node->nextInBucket = nullptr;
  if (!Hashed() || !node->key) return;
  node->hash = HashOf(*node->key);
  RowNode** bucket = &buckets_[node->hash & (bucketCount_ - 1)];
  node->nextInBucket = *bucket;
  *bucket = node;
}

void RowIndex::Unlink(RowNode* node) {
  if (!Hashed() || !node->key) return;
  for (RowNode** link = &buckets_[node->hash & (bucketCount_ - 1)]; *link; link = &(*link)->nextInBucket) {
    if (*link != node) continue;
    *link = node->nextInBucket;
    return;
  }
}

void RowIndex::Append(RowNode* node) {
  node->slot = used_;
  rows_[used_++] = node;
  ++count_;
  AddToCount(node->slot, 1);
  Link(node);
}

RowNode* RowIndex::Replace(RowNode* old, RowNode* node) {
  Unlink(old);
  node->slot = old->slot;
  rows_[old->slot] = node;
  Link(node);
  return old;
}

void RowIndex::Remove(RowNode* node) {
  Unlink(node);
  rows_[node->slot] = nullptr;
  AddToCount(node->slot, -1);
  --count_;
  // Closing up once the empty slots outnumber the rows keeps every deletion O(log n), amortised.
  if (used_ - count_ > count_ + 64) Compact();
}

void RowIndex::Clear() {
  for (ULONG i = 0; i < used_; ++i)
    if (rows_[i]) FreeRowNode(rows_[i]);
  if (rows_) memset(rows_, 0, used_ * sizeof(RowNode*));
  used_ = 0;
  count_ = 0;
  if (counts_) memset(counts_, 0, (capacity_ + 1) * sizeof(ULONG));
  if (buckets_) memset(buckets_, 0, bucketCount_ * sizeof(RowNode*));
}

} // namespace abk
