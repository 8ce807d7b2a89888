// Named mutexes as the program uses them: made or opened by name, owned by waiting, released,
// closed. Cases run in one thread, so ownership here is always this thread's; a mutex held by
// another thread or process cannot be made through the boundary alone. Objects another maker
// would leave (a mutex that keeps us out, another kind of object with the name) come from
// each side's own helpers.
#include "tests/contract/ContractPlatform.h"

namespace {
ISystem& System() { return ContractPlatform().System; }

// Handles closed when the case ends, whatever happens in it.
class TMutexHandles {
 public:
  ~TMutexHandles() {
    for (THandle handle : FHandles) System().CloseHandle(handle);
  }
  THandle Create(const std::string& name, bool* existed = nullptr,
                 TMutexSharing sharing = TMutexSharing::Default) {
    TMutexOpening opening = TMutexOpening::Failed;
    THandle handle = System().CreateMutex(name, sharing, existed ? &opening : nullptr);
    if (existed) *existed = opening == TMutexOpening::Existed;
    if (handle != THandle::None) FHandles.push_back(handle);
    return handle;
  }
  // Closes through the boundary and forgets the handle.
  bool Close(THandle handle) {
    std::erase(FHandles, handle);
    return System().CloseHandle(handle);
  }

 private:
  std::vector<THandle> FHandles;
};
}  // namespace

TEST(Mutex, SecondCreateOfANameOpensTheSameMutexAndSaysItExisted) {
  TMutexHandles handles;
  bool existed = true;
  THandle first = handles.Create("Local\\KelvaneContract.Same", &existed);
  ASSERT_NE(first, THandle::None);
  EXPECT_FALSE(existed);
  THandle second = handles.Create("Local\\KelvaneContract.Same", &existed);
  ASSERT_NE(second, THandle::None);
  EXPECT_NE(second, first) << "a handle of its own";
  EXPECT_TRUE(existed);
  // One mutex behind both handles: owned through one, released through the other.
  EXPECT_EQ(System().WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(System().ReleaseMutex(second));
  EXPECT_FALSE(System().ReleaseMutex(first)) << "released already";
  EXPECT_NE(handles.Create("Local\\KelvaneContract.Other", nullptr), THandle::None)
      << "existed may be null";
}

TEST(Mutex, NewMutexIsUnownedSoReleasingItFails) {
  TMutexHandles handles;
  THandle mutex = handles.Create("Local\\KelvaneContract.Fresh");
  ASSERT_NE(mutex, THandle::None);
  EXPECT_FALSE(System().ReleaseMutex(mutex));
}

TEST(Mutex, WaitingOnAMutexOneOwnsSucceedsAtOnceAndCountsEachWait) {
  TMutexHandles handles;
  THandle mutex = handles.Create("Local\\KelvaneContract.Nested");
  ASSERT_NE(mutex, THandle::None);
  std::uint32_t start = System().TickCount();
  EXPECT_EQ(System().WaitForSingleObject(mutex, 2000), WAIT_OBJECT_0);
  EXPECT_EQ(System().WaitForSingleObject(mutex, 2000), WAIT_OBJECT_0) << "already ours";
  EXPECT_EQ(System().WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_LT(System().TickCount() - start, 500u) << "no wait for a mutex already owned";
  EXPECT_TRUE(System().ReleaseMutex(mutex));
  EXPECT_TRUE(System().ReleaseMutex(mutex));
  EXPECT_TRUE(System().ReleaseMutex(mutex)) << "one release for each wait";
  EXPECT_FALSE(System().ReleaseMutex(mutex)) << "no longer owned";
  EXPECT_EQ(System().WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "free again";
  EXPECT_TRUE(System().ReleaseMutex(mutex));
}

TEST(Mutex, ClosingTheLastHandleEndsTheMutexEvenWhileOwned) {
  TMutexHandles handles;
  const char* name = "Local\\KelvaneContract.Closed";
  THandle first = handles.Create(name);
  THandle second = handles.Create(name);
  ASSERT_NE(first, THandle::None);
  ASSERT_NE(second, THandle::None);
  EXPECT_EQ(System().WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(handles.Close(first));
  bool existed = false;
  THandle third = handles.Create(name, &existed);
  EXPECT_TRUE(existed) << "one handle was still open";
  EXPECT_TRUE(handles.Close(second));
  EXPECT_TRUE(handles.Close(third));
  THandle fresh = handles.Create(name, &existed);
  ASSERT_NE(fresh, THandle::None);
  EXPECT_FALSE(existed) << "gone with its last handle";
  EXPECT_FALSE(System().ReleaseMutex(fresh)) << "and made anew unowned";
}

TEST(Mutex, ClosedHandleCanNeitherBeWaitedOnNorClosedAgain) {
  TMutexHandles handles;
  THandle mutex = handles.Create("Local\\KelvaneContract.Gone");
  ASSERT_NE(mutex, THandle::None);
  EXPECT_TRUE(handles.Close(mutex));
  EXPECT_EQ(System().WaitForSingleObject(mutex, 0), WAIT_FAILED);
  EXPECT_FALSE(System().ReleaseMutex(mutex));
  EXPECT_FALSE(System().CloseHandle(mutex));
}

// Both namespaces the program names its mutexes in are open to it; a name in one is a
// different mutex from the same name in the other.
TEST(Mutex, LocalAndGlobalNamesAreSeparateMutexes) {
  TMutexHandles handles;
  bool existed = true;
  THandle global = handles.Create("Global\\KelvaneContract.Space", &existed);
  ASSERT_NE(global, THandle::None);
  EXPECT_FALSE(existed);
  THandle again = handles.Create("Global\\KelvaneContract.Space", &existed);
  ASSERT_NE(again, THandle::None);
  EXPECT_TRUE(existed);
  THandle local = handles.Create("Local\\KelvaneContract.Space", &existed);
  ASSERT_NE(local, THandle::None);
  EXPECT_FALSE(existed) << "not the global one";
  EXPECT_EQ(System().WaitForSingleObject(global, 0), WAIT_OBJECT_0);
  EXPECT_FALSE(System().ReleaseMutex(local)) << "owning the global one leaves this unowned";
  EXPECT_TRUE(System().ReleaseMutex(again));
}

// A mutex that exists but keeps us out is told apart from a name no mutex can be had under;
// neither gives a handle, whatever rights we would give a mutex we made, and the name is
// free again once the other maker's object is gone.
TEST(Mutex, RefusedMutexIsToldApartFromOneThatCannotBeMade) {
  struct TCase {
    const char* Name;
    std::unique_ptr<TForeignObject> (*Make)(const std::string&);
    TMutexOpening Expected;
  };
  const TCase cases[] = {
      {"Global\\KelvaneContract.KeepsUsOut", ContractRefusingMutex, TMutexOpening::Refused},
      {"Global\\KelvaneContract.AnEvent", ContractOtherKindOfObject, TMutexOpening::OtherObject},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    {
      std::unique_ptr<TForeignObject> other = c.Make(c.Name);
      for (TMutexSharing sharing : {TMutexSharing::Default, TMutexSharing::Everyone}) {
        TMutexOpening opening = TMutexOpening::Created;
        EXPECT_EQ(System().CreateMutex(c.Name, sharing, &opening), THandle::None);
        EXPECT_EQ(opening, c.Expected);
      }
      EXPECT_EQ(System().CreateMutex(c.Name, TMutexSharing::Default, nullptr), THandle::None);
    }
    TMutexHandles handles;
    bool existed = true;
    EXPECT_NE(handles.Create(c.Name, &existed), THandle::None)
        << "free once the other object is gone";
    EXPECT_FALSE(existed);
  }
}

// A mutex made for everyone to share still opens, for waiting and releasing, to a second
// maker asking for full rights, and the rights of the first maker stay.
TEST(Mutex, MutexMadeForEveryoneOpensForWaitingAndReleasing) {
  TMutexHandles handles;
  const char* name = "Global\\KelvaneContract.Shared";
  TMutexOpening opening = TMutexOpening::Failed;
  THandle made = System().CreateMutex(name, TMutexSharing::Everyone, &opening);
  ASSERT_NE(made, THandle::None);
  EXPECT_EQ(opening, TMutexOpening::Created);
  THandle opened = System().CreateMutex(name, TMutexSharing::Default, &opening);
  ASSERT_NE(opened, THandle::None);
  EXPECT_EQ(opening, TMutexOpening::Existed);
  EXPECT_EQ(System().WaitForSingleObject(opened, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(System().ReleaseMutex(opened));
  EXPECT_EQ(System().WaitForSingleObject(made, 0), WAIT_OBJECT_0) << "one mutex behind both";
  EXPECT_TRUE(System().ReleaseMutex(made));
  EXPECT_TRUE(System().CloseHandle(opened));
  EXPECT_TRUE(System().CloseHandle(made));
}

// Other monitors open the shared bus lock with a plain create, which asks for every right: a
// mutex made for everyone grants everyone all of them. Wine keeps and shows the list but does
// not hold opens to it (it let a plain create open a mutex granting less): whether an open is
// refused, the simulated machine decides alone.
TEST(Mutex, MutexMadeForEveryoneGrantsEveryoneEveryRight) {
  TMutexHandles handles;
  const char* name = "Global\\KelvaneContract.AllRights";
  ASSERT_NE(handles.Create(name, nullptr, TMutexSharing::Everyone), THandle::None);
  EXPECT_EQ(ContractMutexRightsForEveryone(name), MUTEX_ALL_ACCESS);
}
