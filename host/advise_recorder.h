// An advise sink that remembers every notification it hears, for tests and for the host's own use.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace host {

struct HeardNotification {
  ULONG eventType;
  ULONG objectType;           // object notifications only
  std::vector<BYTE> entryId;  // object notifications only
  std::vector<BYTE> parentId; // object notifications only
};

class AdviseRecorder final : public IMAPIAdviseSink {
public:
  std::vector<HeardNotification> heard;
  ULONG onNotifyCalls = 0;
  LONG RefCount() const { return refCount_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, LPVOID* ppvObj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  ULONG STDMETHODCALLTYPE OnNotify(ULONG cNotif, LPNOTIFICATION lpNotifications) override;

private:
  LONG refCount_ = 1;
};

} // namespace host
