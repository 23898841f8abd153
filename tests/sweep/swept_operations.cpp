// The host-facing operations the failure sweeps run: each one opens what it needs, makes its calls,
// frees and releases everything it was handed, and returns the first failure code it met.
#include <cstring>

#include "host/advise_recorder.h"
#include "host/name_lookup.h"
#include "resources/resource.h"
#include "sweep/sweep_fixture.h"

extern "C" HRESULT WINAPI ABServiceEntry(HINSTANCE, HWND, ULONG, ULONG, ULONG, LPSPropValue, LPMAPIPROP,
                                         LPABHOSTSUPPORT);

namespace abktest {

namespace {

LPENTRYID IdPtr(const std::string& id) { return reinterpret_cast<LPENTRYID>(const_cast<char*>(id.data())); }
ULONG SizeOf(const std::string& id) { return static_cast<ULONG>(id.size()); }

// Releases an object when the operation is done with it.
struct Held {
  LPUNKNOWN object = nullptr;
  ~Held() {
    if (object) object->Release();
  }
  template <class T> T* As() { return static_cast<T*>(object); }
};

HRESULT Open(SweepTest& t, const std::string& id, Held* held) {
  ULONG type = 0;
  return t.Session()->OpenEntry(SizeOf(id), id.empty() ? nullptr : IdPtr(id), nullptr, MAPI_BEST_ACCESS, &type,
                                &held->object);
}

HRESULT GetAllProps(LPMAPIPROP object) {
  ULONG count = 0;
  LPSPropValue values = nullptr;
  HRESULT hr = object->GetProps(nullptr, 0, &count, &values);
  if (values) HostFreeBuffer(values);
  if (FAILED(hr)) return hr;
  LPSPropTagArray tags = nullptr;
  HRESULT listed = object->GetPropList(0, &tags);
  if (tags) HostFreeBuffer(tags);
  // A value the provider could not build comes back as an error value with MAPI_W_ERRORS_RETURNED.
  return FAILED(listed) ? listed : hr;
}

HRESULT SetString(LPMAPIPROP object, ULONG tag, const char* text) {
  SPropValue value{};
  value.ulPropTag = tag;
  value.Value.lpszA = const_cast<char*>(text);
  LPSPropProblemArray problems = nullptr;
  HRESULT hr = object->SetProps(1, &value, &problems);
  // A value the object could not take is reported in the problem array, and the host stops there.
  if (SUCCEEDED(hr) && problems && problems->cProblem) hr = problems->aProblem[0].scode;
  if (problems) HostFreeBuffer(problems);
  return hr;
}

// Reads a whole table; a table with fewer rows than expected is an incomplete result.
HRESULT ReadWholeTable(LPMAPITABLE table, ULONG expectedRows) {
  LPSRowSet rows = nullptr;
  HRESULT hr = table->QueryRows(100, 0, &rows);
  ULONG count = rows ? rows->cRows : 0;
  FreeRows(rows);
  if (FAILED(hr)) return hr;
  return count == expectedRows ? hr : kIncompleteResult;
}

HRESULT ContentsOf(SweepTest& t, const std::string& id, ULONG expectedRows) {
  Held container;
  HRESULT hr = Open(t, id, &container);
  if (FAILED(hr)) return hr;
  Held table;
  hr = container.As<IABContainer>()->GetContentsTable(0, reinterpret_cast<LPMAPITABLE*>(&table.object));
  if (FAILED(hr)) return hr;
  return ReadWholeTable(table.As<IMAPITable>(), expectedRows);
}

// A view on the root container's contents for the table operations.
HRESULT RootView(SweepTest& t, Held* container, Held* view) {
  HRESULT hr = Open(t, "", container);
  if (FAILED(hr)) return hr;
  return container->As<IABContainer>()->GetContentsTable(0, reinterpret_cast<LPMAPITABLE*>(&view->object));
}

HRESULT EntryList(SweepTest& t, const std::vector<const std::string*>& ids, LPENTRYLIST* list) {
  SBinary* bins = nullptr;
  if (FAILED(HostAllocateBuffer(sizeof(ENTRYLIST), reinterpret_cast<void**>(list)))) return E_OUTOFMEMORY;
  if (FAILED(
          HostAllocateMore(static_cast<ULONG>(ids.size() * sizeof(SBinary)), *list, reinterpret_cast<void**>(&bins))))
    return E_OUTOFMEMORY;
  for (size_t i = 0; i < ids.size(); ++i)
    bins[i] = {SizeOf(*ids[i]), reinterpret_cast<LPBYTE>(IdPtr(*ids[i]))};
  (*list)->cValues = static_cast<ULONG>(ids.size());
  (*list)->lpbin = bins;
  return S_OK;
}

HRESULT CopyOrDelete(SweepTest& t, const std::string& containerId, const std::string& entryId, bool copy) {
  LPENTRYLIST list = nullptr;
  // The list is the host's input: its allocations count in the sweep like the provider's, and a failure
  // there only ends the run early.
  HRESULT hr = EntryList(t, {&entryId}, &list);
  if (FAILED(hr)) {
    if (list) HostFreeBuffer(list);
    return hr;
  }
  Held container;
  hr = Open(t, containerId, &container);
  if (SUCCEEDED(hr)) {
    auto* abc = container.As<IABContainer>();
    hr = copy ? abc->CopyEntries(list, 0, nullptr, 0) : abc->DeleteEntries(list, 0);
  }
  HostFreeBuffer(list);
  return hr;
}

// A new entry made through a container: through a group, the save also adds it to the group.
HRESULT NewEntryThrough(SweepTest& t, const std::string& containerId, const std::string& tpl, bool isGroup) {
  Held container;
  HRESULT hr = Open(t, containerId, &container);
  if (FAILED(hr)) return hr;
  Held entry;
  hr = container.As<IABContainer>()->CreateEntry(SizeOf(tpl), IdPtr(tpl), 0,
                                                 reinterpret_cast<LPMAPIPROP*>(&entry.object));
  if (FAILED(hr)) return hr;
  auto* props = entry.As<IMAPIProp>();
  hr = SetString(props, PR_DISPLAY_NAME, isGroup ? "Direction" : "Claire Roux");
  if (SUCCEEDED(hr) && !isGroup) hr = SetString(props, PR_BUSINESS_FAX_NUMBER, "0311223344");
  if (SUCCEEDED(hr)) hr = props->SaveChanges(KEEP_OPEN_READWRITE);
  return hr;
}

HRESULT PrepareTwoRecipients(SweepTest& t) {
  LPADRLIST list = nullptr;
  HRESULT hr = HostAllocateBuffer(CbNewADRLIST(2), reinterpret_cast<void**>(&list));
  if (FAILED(hr)) return hr;
  memset(list, 0, CbNewADRLIST(2));
  const std::string* ids[2] = {&t.brunoId, &t.aliceInGroupId};
  for (ULONG i = 0; i < 2 && SUCCEEDED(hr); ++i) {
    LPSPropValue value = nullptr;
    hr = HostAllocateBuffer(sizeof(SPropValue), reinterpret_cast<void**>(&value));
    if (FAILED(hr)) break;
    value->ulPropTag = PR_ENTRYID;
    value->Value.bin = {SizeOf(*ids[i]), reinterpret_cast<LPBYTE>(IdPtr(*ids[i]))};
    list->aEntries[i] = {0, 1, value};
    list->cEntries = i + 1;
  }
  if (SUCCEEDED(hr)) {
    SizedSPropTagArray(3, wanted) = {3, {PR_DISPLAY_NAME, PR_BUSINESS_FAX_NUMBER, PR_HOME_FAX_NUMBER}};
    hr = t.Session()->PrepareRecips(0, reinterpret_cast<LPSPropTagArray>(&wanted), list);
    // The result is the last row's: a row that failed before a later one succeeded keeps its old
    // values unreported, as hosts know. The last row must come back with every wanted column.
    if (SUCCEEDED(hr) && list->aEntries[list->cEntries - 1].cValues < 3) hr = kIncompleteResult;
  }
  for (ULONG i = 0; i < list->cEntries; ++i)
    HostFreeBuffer(list->aEntries[i].rgPropVals);
  HostFreeBuffer(list);
  return hr;
}

HRESULT TableOperations(SweepTest& t) {
  Held root, view;
  HRESULT hr = RootView(t, &root, &view);
  if (FAILED(hr)) return hr;
  auto* table = view.As<IMAPITable>();
  SizedSPropTagArray(2, columns) = {2, {PR_DISPLAY_NAME, PR_ENTRYID}};
  hr = table->SetColumns(reinterpret_cast<LPSPropTagArray>(&columns), 0);
  if (FAILED(hr)) return hr;
  LPSPropTagArray queried = nullptr;
  hr = table->QueryColumns(0, &queried);
  if (queried) HostFreeBuffer(queried);
  if (FAILED(hr)) return hr;
  ULONG count = 0;
  hr = table->GetRowCount(0, &count);
  if (FAILED(hr)) return hr;
  BOOKMARK mark = 0;
  hr = table->SeekRow(BOOKMARK_BEGINNING, 1, nullptr);
  if (SUCCEEDED(hr)) hr = table->CreateBookmark(&mark);
  if (FAILED(hr)) return hr;
  hr = ReadWholeTable(table, count - 1);
  if (SUCCEEDED(hr)) hr = table->SeekRow(mark, 0, nullptr);
  table->FreeBookmark(mark);
  if (FAILED(hr)) return hr;
  hr = table->SeekRowApprox(1, 2);
  if (FAILED(hr)) return hr;
  ULONG row = 0, numerator = 0, denominator = 0;
  return table->QueryPosition(&row, &numerator, &denominator);
}

// Two typed names, each standing for one entry: a failure is reported, never a row left unresolved.
HRESULT ResolveTwoNames(SweepTest& t) {
  Held root;
  HRESULT hr = Open(t, "", &root);
  if (FAILED(hr)) return hr;
  host::TypedNames names;
  hr = names.Make({"alice", "pet"});
  if (SUCCEEDED(hr)) hr = root.As<IABContainer>()->ResolveNames(nullptr, 0, names.List(), names.Flags());
  for (ULONG i = 0; SUCCEEDED(hr) && i < 2; ++i)
    if (names.Flag(i) != MAPI_RESOLVED || names.First(i).ulPropTag != PR_ENTRYID) hr = kIncompleteResult;
  return hr;
}

HRESULT FindingThroughAView(SweepTest& t) {
  Held root, view;
  HRESULT hr = RootView(t, &root, &view);
  if (FAILED(hr)) return hr;
  auto* table = view.As<IMAPITable>();
  host::AnrRestriction alice("alice"), petit("petit");
  SRestriction terms[2] = {*alice.Get(), *petit.Get()};
  SRestriction either{};
  either.rt = RES_OR;
  either.res.resOr = {2, terms};
  SizedSSortOrderSet(1, byName) = {1, 0, 0, {{PR_DISPLAY_NAME_A, TABLE_SORT_DESCEND}}};
  hr = table->Restrict(&either, 0);
  if (SUCCEEDED(hr)) hr = table->SortTable(reinterpret_cast<LPSSortOrderSet>(&byName), 0);
  if (FAILED(hr)) return hr;
  ULONG count = 0;
  hr = table->GetRowCount(0, &count);
  if (FAILED(hr)) return hr;
  if (count != 2) return kIncompleteResult;
  hr = table->FindRow(&terms[0], BOOKMARK_BEGINNING, 0);
  if (FAILED(hr)) return hr;
  hr = ReadWholeTable(table, 1); // Alice comes after Bruno
  if (SUCCEEDED(hr)) hr = table->Restrict(nullptr, 0);
  if (SUCCEEDED(hr)) hr = ReadWholeTable(table, 4);
  return hr;
}

HRESULT NewPersonThroughDialogs(SweepTest& t) {
  t.Driver().OnDialog(IDD_ENTRY_TYPE, [](host::DialogView& dialog) { dialog.Click(IDOK); });
  t.Driver().OnDialog(IDD_PERSON, [](host::DialogView& dialog) {
    dialog.Type(IDC_LAST_NAME, "Roux");
    dialog.Type(IDC_PRIMARY_NUMBER, "0311223344");
    dialog.Click(IDOK);
  });
  ULONG size = 0;
  LPENTRYID id = nullptr;
  HRESULT hr = t.AddrBook()->NewEntry(0, 0, 0, nullptr, 0, nullptr, &size, &id);
  if (id) HostFreeBuffer(id);
  return hr;
}

HRESULT NewGroupThroughDialogs(SweepTest& t) {
  t.Driver().OnDialog(IDD_GROUP, [](host::DialogView& dialog) {
    dialog.Type(IDC_GROUP_NAME, "Direction");
    // Alice's first number, found by its text: a list that could not be filled offers nothing to add.
    std::vector<std::vector<std::string>> rows = dialog.Rows(IDC_AVAILABLE_LIST);
    for (size_t i = 0; i < rows.size(); ++i) {
      for (const std::string& cell : rows[i])
        if (cell == "0102030405") dialog.SelectItem(IDC_AVAILABLE_LIST, static_cast<int>(i));
    }
    dialog.Click(IDC_ADD_TO_GROUP);
    dialog.Click(IDOK);
  });
  ULONG size = 0;
  LPENTRYID id = nullptr;
  HRESULT hr = t.AddrBook()->NewEntry(0, 0, 0, nullptr, SizeOf(t.groupTemplate), IdPtr(t.groupTemplate), &size, &id);
  if (id) HostFreeBuffer(id);
  return hr;
}

HRESULT DetailsThroughDialog(SweepTest& t, const std::string& id, int templateId, host::DialogDriver::Script script) {
  t.Driver().OnDialog(templateId, std::move(script));
  ULONG window = 0;
  return t.AddrBook()->Details(&window, nullptr, nullptr, SizeOf(id), IdPtr(id), nullptr, nullptr, nullptr, 0);
}

HRESULT ConfigureService(SweepTest& t) {
  t.Driver().OnDialog(IDD_SERVICE_CONFIG, [](host::DialogView& dialog) {
    dialog.Type(IDC_SERVICE_NAME, "Fax du si\xE8ge");
    dialog.Click(IDOK);
  });
  return ABServiceEntry(t.Resources(), nullptr, 0, MSG_SERVICE_CONFIGURE, 0, nullptr, &t.Profile(), &t.Support());
}

} // namespace

const std::vector<SweptOperation>& SweptOperations() {
  static const std::vector<SweptOperation> operations = {
      {"session OpenEntry and GetProps of the root, a person and a group",
       [](SweepTest& t) {
         for (const std::string* id : {&t.rootId, &t.aliceId, &t.groupId, &t.aliceInGroupId}) {
           Held entry;
           HRESULT hr = Open(t, *id, &entry);
           if (SUCCEEDED(hr)) hr = GetAllProps(entry.As<IMAPIProp>());
           if (FAILED(hr)) return hr;
         }
         return S_OK;
       }},
      {"session GetProps and CompareEntryIDs",
       [](SweepTest& t) {
         HRESULT hr = GetAllProps(t.AddrBook());
         if (FAILED(hr)) return hr;
         ULONG same = 0;
         return t.AddrBook()->CompareEntryIDs(SizeOf(t.aliceId), IdPtr(t.aliceId), SizeOf(t.aliceInGroupId),
                                              IdPtr(t.aliceInGroupId), 0, &same);
       }},
      {"session PrepareRecips", PrepareTwoRecipients},
      {"session Advise on a person, a save, Unadvise",
       [](SweepTest& t) {
         host::AdviseRecorder sink;
         ULONG connection = 0;
         HRESULT hr = t.AddrBook()->Advise(SizeOf(t.brunoId), IdPtr(t.brunoId), fnevObjectModified, &sink, &connection);
         if (FAILED(hr)) return hr;
         Held person;
         hr = Open(t, t.brunoId, &person);
         if (SUCCEEDED(hr)) hr = SetString(person.As<IMAPIProp>(), PR_COMPANY_NAME, "Orvex");
         if (SUCCEEDED(hr)) hr = person.As<IMAPIProp>()->SaveChanges(0);
         HRESULT unadvised = t.AddrBook()->Unadvise(connection);
         if (SUCCEEDED(hr)) hr = unadvised;
         // The session lets go of the sink with the registration.
         if (sink.RefCount() != 1) return kIncompleteResult;
         return hr;
       }},
      {"root container contents", [](SweepTest& t) { return ContentsOf(t, t.rootId, 4); }, false, true},
      {"group contents", [](SweepTest& t) { return ContentsOf(t, t.groupId, 2); }, false, true},
      {"root container hierarchy",
       [](SweepTest& t) {
         Held root;
         HRESULT hr = Open(t, "", &root);
         if (FAILED(hr)) return hr;
         Held table;
         hr = root.As<IABContainer>()->GetHierarchyTable(0, reinterpret_cast<LPMAPITABLE*>(&table.object));
         if (hr == MAPI_E_NO_SUPPORT || FAILED(hr)) return hr == MAPI_E_NO_SUPPORT ? S_OK : hr;
         LPSRowSet rows = nullptr;
         hr = table.As<IMAPITable>()->QueryRows(10, 0, &rows);
         FreeRows(rows);
         return hr;
       }},
      {"table view operations", TableOperations, false, true},
      {"root ResolveNames of two names", ResolveTwoNames, false, true},
      {"restricting, sorting and searching a view", FindingThroughAView, false, true},
      {"root CreateEntry of a person, SetProps, SaveChanges",
       [](SweepTest& t) { return NewEntryThrough(t, "", t.personTemplate, false); }},
      {"root CreateEntry of a group, SetProps, SaveChanges",
       [](SweepTest& t) { return NewEntryThrough(t, "", t.groupTemplate, true); }},
      {"group CreateEntry of a person, SetProps, SaveChanges",
       [](SweepTest& t) { return NewEntryThrough(t, t.groupId, t.personTemplate, false); }},
      {"person SetProps and SaveChanges",
       [](SweepTest& t) {
         Held person;
         HRESULT hr = Open(t, t.brunoId, &person);
         if (SUCCEEDED(hr)) hr = SetString(person.As<IMAPIProp>(), PR_BUSINESS_FAX_NUMBER, "0400000000");
         if (SUCCEEDED(hr)) hr = person.As<IMAPIProp>()->SaveChanges(0);
         return hr;
       }},
      {"member number blanked through its group",
       [](SweepTest& t) {
         Held group;
         HRESULT hr = Open(t, t.groupId, &group);
         if (FAILED(hr)) return hr;
         ULONG type = 0;
         Held member;
         hr = group.As<IABContainer>()->OpenEntry(SizeOf(t.aliceInGroupId), IdPtr(t.aliceInGroupId), nullptr,
                                                  MAPI_BEST_ACCESS, &type, &member.object);
         if (SUCCEEDED(hr)) hr = SetString(member.As<IMAPIProp>(), PR_HOME_FAX_NUMBER, "");
         if (SUCCEEDED(hr)) hr = member.As<IMAPIProp>()->SaveChanges(0);
         return hr;
       }},
      {"group CopyEntries", [](SweepTest& t) { return CopyOrDelete(t, t.emptyGroupId, t.aliceId, true); }},
      {"group DeleteEntries", [](SweepTest& t) { return CopyOrDelete(t, t.groupId, t.aliceInGroupId, false); }},
      {"root DeleteEntries", [](SweepTest& t) { return CopyOrDelete(t, t.rootId, t.brunoId, false); }},
      {"NewEntry of a person through the dialogs", NewPersonThroughDialogs, true},
      {"NewEntry of a group through its dialog", NewGroupThroughDialogs, true},
      {"Details of a person, changed and saved",
       [](SweepTest& t) {
         return DetailsThroughDialog(t, t.brunoId, IDD_PERSON, [](host::DialogView& dialog) {
           dialog.Type(IDC_FIRST_NAME, "Bruno");
           dialog.Click(IDOK);
         });
       },
       true},
      {"Details of a group, saved",
       [](SweepTest& t) {
         return DetailsThroughDialog(t, t.groupId, IDD_GROUP, [](host::DialogView& dialog) { dialog.Click(IDOK); });
       },
       true},
      {"ABServiceEntry configuring the service", ConfigureService, true},
  };
  return operations;
}

} // namespace abktest
