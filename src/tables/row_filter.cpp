// Restrictions on contents rows: checking and copying the host's restriction, and testing rows with it.
#include "tables/row_filter.h"

#include <new>

#include "props/prop_values.h"
#include "provider/heap.h"
#include "provider/host_input.h"

namespace abk {

namespace {

// Hosts send a handful of terms; a restriction beyond these is not one a person typed.
constexpr ULONG kMostNodes = 64;
constexpr ULONG kDeepest = 16;

enum class NodeKind { kAnd, kOr, kNot, kName, kContent, kObjectType };

// The typed text of a value, as the book's own text (PT_STRING8) or as UTF-16 (PT_UNICODE).
bool ReadsAsText(const SPropValue* value) {
  if (!ReadableValue(value)) return false;
  ULONG type = PROP_TYPE(value->ulPropTag);
  if (type == PT_STRING8) return value->Value.lpszA != nullptr;
  if (type == PT_UNICODE) return value->Value.lpszW != nullptr;
  return false;
}

// A string value (PT_STRING8 or PT_UNICODE), folded or as it is.
void ReadText(const SPropValue& value, bool fold, FoldedText* text) {
  if (PROP_TYPE(value.ulPropTag) == PT_STRING8) {
    if (fold)
      FoldBookText(value.Value.lpszA, text);
    else
      WidenBookText(value.Value.lpszA, text);
    return;
  }
  WideView wide(reinterpret_cast<const WCHAR*>(value.Value.lpszW));
  if (fold)
    FoldInto(wide, text);
  else
    CopyInto(wide, text);
}

// The value of a string column, folded or as it is; false when the row has none.
bool ColumnText(const SRow& row, ULONG tag, bool fold, FoldedText* text) {
  const SPropValue* value = FindPropValue(row.lpProps, row.cValues, tag);
  if (!value || !value->Value.lpszA) return false;
  ReadText(*value, fold, text);
  return text->whole;
}

bool IsFolding(ULONG fuzzyLevel) { return (fuzzyLevel & (FL_IGNORECASE | FL_IGNORENONSPACE | FL_LOOSE)) != 0; }

// Checks one restriction and everything under it, counting the nodes it will need.
HRESULT Measure(const SRestriction* restriction, ULONG depth, ULONG* nodes) {
  if (!Readable(restriction)) return E_INVALIDARG;
  if (depth == kDeepest || ++*nodes > kMostNodes) return MAPI_E_TOO_COMPLEX;
  const SRestriction& r = *restriction;
  switch (r.rt) {
  case RES_AND:
  case RES_OR: {
    const SAndRestriction& list = r.res.resAnd;
    if (list.cRes > kMostNodes) return MAPI_E_TOO_COMPLEX;
    if (list.cRes && !ReadableArray(list.lpRes, list.cRes, sizeof(SRestriction))) return E_INVALIDARG;
    for (ULONG i = 0; i < list.cRes; ++i) {
      HRESULT hr = Measure(&list.lpRes[i], depth + 1, nodes);
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }
  case RES_NOT:
    return Measure(r.res.resNot.lpRes, depth + 1, nodes);
  case RES_CONTENT: {
    const SContentRestriction& content = r.res.resContent;
    if (PROP_TYPE(content.ulPropTag) != PT_STRING8) return MAPI_E_TOO_COMPLEX;
    ULONG how = content.ulFuzzyLevel & 0xFFFF;
    if (how != FL_FULLSTRING && how != FL_SUBSTRING && how != FL_PREFIX) return MAPI_E_TOO_COMPLEX;
    if (!ReadableValue(content.lpProp)) return E_INVALIDARG;
    return ReadsAsText(content.lpProp) ? S_OK : MAPI_E_TOO_COMPLEX;
  }
  case RES_PROPERTY: {
    const SPropertyRestriction& property = r.res.resProperty;
    if (!ReadableValue(property.lpProp)) return E_INVALIDARG;
    if (PROP_ID(property.ulPropTag) == PROP_ID(PR_ANR))
      return property.relop == RELOP_EQ && ReadsAsText(property.lpProp) ? S_OK : MAPI_E_TOO_COMPLEX;
    if (property.ulPropTag == PR_OBJECT_TYPE)
      return (property.relop == RELOP_EQ || property.relop == RELOP_NE) && property.lpProp->ulPropTag == PR_OBJECT_TYPE
                 ? S_OK
                 : MAPI_E_TOO_COMPLEX;
    return MAPI_E_TOO_COMPLEX;
  }
  default:
    return MAPI_E_TOO_COMPLEX;
  }
}

} // namespace

struct RowFilter::Node {
  NodeKind kind = NodeKind::kAnd;
  ULONG first = 0; // the children of AND, OR and NOT, in a row
  ULONG count = 0;
  ULONG tag = 0;     // the string column of a content term
  ULONG how = 0;     // FL_FULLSTRING, FL_SUBSTRING or FL_PREFIX
  bool fold = false; // a content term compared without case and accents
  bool equal = true; // an object type term: RELOP_EQ, else RELOP_NE
  LONG objectType = 0;
  FoldedText text; // the typed name (folded) or the content
};

namespace {

// Copies a checked restriction into nodes[at], its children after *next.
void Fill(const SRestriction& r, RowFilter::Node* nodes, ULONG at, ULONG* next) {
  RowFilter::Node& node = nodes[at];
  switch (r.rt) {
  case RES_AND:
  case RES_OR:
    node.kind = r.rt == RES_AND ? NodeKind::kAnd : NodeKind::kOr;
    node.first = *next;
    node.count = r.res.resAnd.cRes;
    *next += node.count;
    for (ULONG i = 0; i < node.count; ++i)
      Fill(r.res.resAnd.lpRes[i], nodes, node.first + i, next);
    return;
  case RES_NOT:
    node.kind = NodeKind::kNot;
    node.first = (*next)++;
    node.count = 1;
    Fill(*r.res.resNot.lpRes, nodes, node.first, next);
    return;
  case RES_CONTENT:
    node.kind = NodeKind::kContent;
    node.tag = r.res.resContent.ulPropTag;
    node.how = r.res.resContent.ulFuzzyLevel & 0xFFFF;
    node.fold = IsFolding(r.res.resContent.ulFuzzyLevel);
    ReadText(*r.res.resContent.lpProp, node.fold, &node.text);
    return;
  default: // RES_PROPERTY
    if (r.res.resProperty.ulPropTag == PR_OBJECT_TYPE) {
      node.kind = NodeKind::kObjectType;
      node.equal = r.res.resProperty.relop == RELOP_EQ;
      node.objectType = r.res.resProperty.lpProp->Value.l;
      return;
    }
    node.kind = NodeKind::kName;
    ReadText(*r.res.resProperty.lpProp, true, &node.text);
    return;
  }
}

bool ContentPasses(const RowFilter::Node& node, const SRow& row) {
  if (!node.text.whole) return false;
  FoldedText column;
  if (!ColumnText(row, node.tag, node.fold, &column)) return false;
  WideView text = column.View(), part = node.text.View();
  if (node.how == FL_PREFIX) return text.starts_with(part);
  if (node.how == FL_SUBSTRING) return text.find(part) != WideView::npos;
  return text == part;
}

} // namespace

MatchRank MatchRow(const SRow& row, WideView typed) {
  FoldedText name, given, surname, company;
  ColumnText(row, PR_DISPLAY_NAME, true, &name);
  ColumnText(row, PR_GIVEN_NAME, true, &given);
  ColumnText(row, PR_SURNAME, true, &surname);
  ColumnText(row, PR_COMPANY_NAME, true, &company);
  return MatchEntry(typed, MatchViews{name.View(), given.View(), surname.View(), company.View()});
}

HRESULT RowFilter::Create(const SRestriction* restriction, RowFilter** filter) {
  *filter = nullptr;
  ULONG count = 0;
  HRESULT hr = Measure(restriction, 0, &count);
  if (FAILED(hr)) return hr;
  RowFilter* made = HeapNew<RowFilter>();
  if (!made) return E_OUTOFMEMORY;
  void* block = HeapAllocate(count * sizeof(Node));
  if (!block) {
    HeapDelete(made);
    return E_OUTOFMEMORY;
  }
  made->nodes_ = static_cast<Node*>(block);
  for (ULONG i = 0; i < count; ++i)
    new (&made->nodes_[i]) Node();
  made->count_ = count;
  ULONG next = 1;
  Fill(*restriction, made->nodes_, 0, &next);
  *filter = made;
  return S_OK;
}

RowFilter::~RowFilter() { HeapFree(nodes_); }

bool RowFilter::Passes(const SRow& row) const { return Passes(row, 0); }

bool RowFilter::Passes(const SRow& row, ULONG at) const {
  const Node& node = nodes_[at];
  switch (node.kind) {
  case NodeKind::kAnd:
    for (ULONG i = 0; i < node.count; ++i)
      if (!Passes(row, node.first + i)) return false;
    return true;
  case NodeKind::kOr:
    for (ULONG i = 0; i < node.count; ++i)
      if (Passes(row, node.first + i)) return true;
    return false;
  case NodeKind::kNot:
    return !Passes(row, node.first);
  case NodeKind::kName:
    return node.text.whole && MatchRow(row, node.text.View()) != MatchRank::kNone;
  case NodeKind::kContent:
    return ContentPasses(node, row);
  case NodeKind::kObjectType: {
    const SPropValue* type = FindPropValue(row.lpProps, row.cValues, PR_OBJECT_TYPE);
    bool same = type && type->Value.l == node.objectType;
    return same == node.equal;
  }
  }
  return false;
}

} // namespace abk
