// Change notifications reach every registered sink, in registration order, with the sink held only for
// the duration of the call.
#include <gtest/gtest.h>

#include "host/advise_recorder.h"
#include "provider/session.h"
#include "support/provider_fixture.h"

using namespace abk;

extern "C" HRESULT __cdecl ABProviderOpen(HINSTANCE, LPABHOSTSUPPORT, LPMAPIPROP, ULONG, ULONG, ULONG, ULONG,
                                          LPFREEBUFFER, LPADRBOOK*);

using abktest::IdPtr;
using abktest::MakeId;

namespace {

// A sink that checks it is held while it is told, and may unadvise itself.
class CheckingSink final : public IMAPIAdviseSink {
public:
  LONG refs = 1;
  LONG refsDuringNotify = 0;
  std::vector<int>* order = nullptr;
  int name = 0;
  IAddrBook* unadviseFrom = nullptr;
  ULONG connection = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
  ULONG STDMETHODCALLTYPE OnNotify(ULONG, LPNOTIFICATION) override {
    refsDuringNotify = refs;
    if (order) order->push_back(name);
    if (unadviseFrom) unadviseFrom->Unadvise(connection);
    return 0;
  }
};

class AdviseTest : public abktest::HostTest {
protected:
  void SetUp() override {
    HostTest::SetUp();
    profile.SetString(PR_DISPLAY_NAME, "Fax");
    profile.SetBinary(PR_SERVICE_UID, abktest::kServiceUid, 16);
    ASSERT_EQ(ABProviderOpen(nullptr, &support, &profile, 0, 0, 0, 0, HostFreeBuffer, &book), S_OK);
    session = static_cast<abk::AddressBookSession*>(book);
  }
  void TearDown() override {
    if (book) book->Release();
    HostTest::TearDown();
  }

  void NotifyModified(std::string id) {
    NOTIFICATION n{};
    n.ulEventType = fnevObjectModified;
    n.info.obj.cbEntryID = 40;
    n.info.obj.lpEntryID = IdPtr(id);
    n.info.obj.ulObjType = MAPI_MAILUSER;
    session->NotifyAdviseSinks(1, &n);
  }

  host::ProfileSection profile;
  host::HostSupport support;
  LPADRBOOK book = nullptr;
  abk::AddressBookSession* session = nullptr;
};

TEST_F(AdviseTest, EverySinkHearsOfEveryChange) {
  host::AdviseRecorder forPerson7, forAll;
  std::string person7 = MakeId(7, 6);
  ULONG connection = 0;
  ASSERT_EQ(book->Advise(40, IdPtr(person7), fnevObjectModified, &forPerson7, &connection), S_OK);
  ASSERT_EQ(book->Advise(0, nullptr, fnevObjectModified, &forAll, &connection), S_OK);

  NotifyModified(MakeId(9, 6));
  ASSERT_EQ(forPerson7.heard.size(), 1u) << "a registration for one entry hears of another";
  EXPECT_EQ(forPerson7.heard[0].eventType, fnevObjectModified);
  std::string person9 = MakeId(9, 6);
  EXPECT_EQ(forPerson7.heard[0].entryId, std::vector<BYTE>(person9.begin(), person9.end()));
  EXPECT_EQ(forAll.heard.size(), 1u);
  EXPECT_EQ(forPerson7.RefCount(), 1);
}

TEST_F(AdviseTest, SinksAreHeldWhileToldAndCalledInRegistrationOrder) {
  std::vector<int> order;
  CheckingSink first, second, third;
  first.name = 1, second.name = 2, third.name = 3;
  first.order = second.order = third.order = &order;
  ULONG connection = 0;
  ASSERT_EQ(book->Advise(0, nullptr, fnevObjectModified, &first, &connection), S_OK);
  ASSERT_EQ(book->Advise(0, nullptr, fnevObjectModified, nullptr, &connection), S_OK); // no sink: skipped
  ASSERT_EQ(book->Advise(0, nullptr, fnevObjectModified, &second, &second.connection), S_OK);
  ASSERT_EQ(book->Advise(0, nullptr, fnevObjectModified, &third, &connection), S_OK);
  second.unadviseFrom = book; // removes itself while being told

  NotifyModified(MakeId(3, 6));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(first.refsDuringNotify, 2);
  EXPECT_EQ(first.refs, 1);

  order.clear();
  NotifyModified(MakeId(3, 6));
  EXPECT_EQ(order, (std::vector<int>{1, 3}));
}

TEST_F(AdviseTest, AnUnadvisedSinkHearsNothing) {
  host::AdviseRecorder sink;
  ULONG connection = 0;
  ASSERT_EQ(book->Advise(0, nullptr, fnevObjectModified, &sink, &connection), S_OK);
  ASSERT_EQ(book->Unadvise(connection), S_OK);
  NotifyModified(MakeId(3, 6));
  EXPECT_TRUE(sink.heard.empty());
}

} // namespace
