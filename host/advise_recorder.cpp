// The recording advise sink.
#include "host/advise_recorder.h"

namespace host {

HRESULT STDMETHODCALLTYPE AdviseRecorder::QueryInterface(REFIID riid, LPVOID* ppvObj) {
  if (!ppvObj) return E_INVALIDARG;
  *ppvObj = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMAPIAdviseSink)) return E_NOINTERFACE;
  *ppvObj = static_cast<IMAPIAdviseSink*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE AdviseRecorder::AddRef() { return static_cast<ULONG>(++refCount_); }
ULONG STDMETHODCALLTYPE AdviseRecorder::Release() { return static_cast<ULONG>(--refCount_); }

static std::vector<BYTE> Bytes(ULONG size, const void* data) {
  if (!data) return {};
  const BYTE* p = static_cast<const BYTE*>(data);
  return std::vector<BYTE>(p, p + size);
}

ULONG STDMETHODCALLTYPE AdviseRecorder::OnNotify(ULONG cNotif, LPNOTIFICATION lpNotifications) {
  ++onNotifyCalls;
  for (ULONG i = 0; i < cNotif; ++i) {
    const NOTIFICATION& n = lpNotifications[i];
    HeardNotification record{n.ulEventType, 0, {}, {}};
    if (n.ulEventType &
        (fnevObjectCreated | fnevObjectDeleted | fnevObjectModified | fnevObjectMoved | fnevObjectCopied)) {
      const OBJECT_NOTIFICATION& o = n.info.obj;
      record.objectType = o.ulObjType;
      record.entryId = Bytes(o.cbEntryID, o.lpEntryID);
      record.parentId = Bytes(o.cbParentID, o.lpParentID);
    }
    heard.push_back(record);
  }
  return 0;
}

} // namespace host
