// Named mutexes as the program uses them: made or opened by name, owned by waiting, released,
// closed. Cases run in one thread, so ownership here is always this thread's; a mutex held by
// another thread or process cannot be made through the boundary alone.
#include "tests/contract/ContractPlatform.h"

namespace {
ISystem& System() { return ContractPlatform().System; }

// Handles closed when the case ends, whatever happens in it.
class TMutexHandles {
 public:
  ~TMutexHandles() {
    for (THandle handle : FHandles) System().CloseHandle(handle);
  }
  THandle Create(const std::string& name, bool* existed = nullptr) {
    THandle handle = System().CreateMutex(name, existed);
    if (handle) FHandles.push_back(handle);
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
  ASSERT_NE(first, 0u);
  EXPECT_FALSE(existed);
  THandle second = handles.Create("Local\\KelvaneContract.Same", &existed);
  ASSERT_NE(second, 0u);
  EXPECT_NE(second, first) << "a handle of its own";
  EXPECT_TRUE(existed);
  // One mutex behind both handles: owned through one, released through the other.
  EXPECT_EQ(System().WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(System().ReleaseMutex(second));
  EXPECT_FALSE(System().ReleaseMutex(first)) << "released already";
  EXPECT_NE(handles.Create("Local\\KelvaneContract.Other", nullptr), 0u) << "existed may be null";
}

TEST(Mutex, NewMutexIsUnownedSoReleasingItFails) {
  TMutexHandles handles;
  THandle mutex = handles.Create("Local\\KelvaneContract.Fresh");
  ASSERT_NE(mutex, 0u);
  EXPECT_FALSE(System().ReleaseMutex(mutex));
}

TEST(Mutex, WaitingOnAMutexOneOwnsSucceedsAtOnceAndCountsEachWait) {
  TMutexHandles handles;
  THandle mutex = handles.Create("Local\\KelvaneContract.Nested");
  ASSERT_NE(mutex, 0u);
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
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(System().WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(handles.Close(first));
  bool existed = false;
  THandle third = handles.Create(name, &existed);
  EXPECT_TRUE(existed) << "one handle was still open";
  EXPECT_TRUE(handles.Close(second));
  EXPECT_TRUE(handles.Close(third));
  THandle fresh = handles.Create(name, &existed);
  ASSERT_NE(fresh, 0u);
  EXPECT_FALSE(existed) << "gone with its last handle";
  EXPECT_FALSE(System().ReleaseMutex(fresh)) << "and made anew unowned";
}

TEST(Mutex, ClosedHandleCanNeitherBeWaitedOnNorClosedAgain) {
  TMutexHandles handles;
  THandle mutex = handles.Create("Local\\KelvaneContract.Gone");
  ASSERT_NE(mutex, 0u);
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
  ASSERT_NE(global, 0u);
  EXPECT_FALSE(existed);
  THandle again = handles.Create("Global\\KelvaneContract.Space", &existed);
  ASSERT_NE(again, 0u);
  EXPECT_TRUE(existed);
  THandle local = handles.Create("Local\\KelvaneContract.Space", &existed);
  ASSERT_NE(local, 0u);
  EXPECT_FALSE(existed) << "not the global one";
  EXPECT_EQ(System().WaitForSingleObject(global, 0), WAIT_OBJECT_0);
  EXPECT_FALSE(System().ReleaseMutex(local)) << "owning the global one leaves this unowned";
  EXPECT_TRUE(System().ReleaseMutex(again));
}
