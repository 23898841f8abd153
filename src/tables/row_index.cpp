// The table's rows by position (an array, closed up on deletion) and by index value (hash buckets).
#include "tables/row_index.h"

#include <cstring>

#include "props/prop_values.h"
#include "provider/heap.h"

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
  abk::HeapFree(rows_);
  abk::HeapFree(buckets_);
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
    for (ULONG i = 0; i < count_; ++i)
      if (rows_[i]->key && KeysEqual(*rows_[i]->key, value)) return rows_[i];
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
  if (capacity_ > 0x0FFFFFFF) return false;
  ULONG capacity = capacity_ ? capacity_ * 2 : 64;
  auto* rows = static_cast<RowNode**>(abk::HeapAllocate(capacity * sizeof(RowNode*)));
  if (!rows) return false;
  if (count_) memcpy(rows, rows_, count_ * sizeof(RowNode*));
  abk::HeapFree(rows_);
  rows_ = rows;
  capacity_ = capacity;
  return true;
}

bool RowIndex::GrowBuckets() {
  if (bucketCount_ > 0x0FFFFFFF) return false;
  ULONG bucketCount = bucketCount_ ? bucketCount_ * 2 : 64;
  auto* buckets = static_cast<RowNode**>(abk::HeapAllocate(bucketCount * sizeof(RowNode*)));
  if (!buckets) return false;
  memset(buckets, 0, bucketCount * sizeof(RowNode*));
  abk::HeapFree(buckets_);
  buckets_ = buckets;
  bucketCount_ = bucketCount;
  for (ULONG i = 0; i < count_; ++i) {
    RowNode* node = rows_[i];
    if (!node->key) continue;
    RowNode** bucket = &buckets_[node->hash & (bucketCount_ - 1)];
    node->nextInBucket = *bucket;
    *bucket = node;
  }
  return true;
}

bool RowIndex::ReserveOneMore() {
  if (count_ == capacity_ && !GrowRows()) return false;
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
  node->position = count_;
  rows_[count_++] = node;
  Link(node);
}

RowNode* RowIndex::Replace(RowNode* old, RowNode* node) {
  Unlink(old);
  node->position = old->position;
  rows_[old->position] = node;
  Link(node);
  return old;
}

void RowIndex::Remove(RowNode* node) {
  Unlink(node);
  ULONG position = node->position;
  for (ULONG i = position + 1; i < count_; ++i) {
    rows_[i - 1] = rows_[i];
    rows_[i - 1]->position = i - 1;
  }
  --count_;
}

void RowIndex::Clear() {
  for (ULONG i = 0; i < count_; ++i)
    FreeRowNode(rows_[i]);
  count_ = 0;
  if (buckets_) memset(buckets_, 0, bucketCount_ * sizeof(RowNode*));
}
