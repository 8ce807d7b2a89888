// Lock files and other processes as the single-controller rule meets them: a file held open
// unshared and gone once closed, the account a process runs as, and ending another process.
// Whether a user without administrator rights is kept from the lock file depends on access
// lists and elevation, which Wine does not enforce: the simulated machine decides that alone.
#include <algorithm>

#include "tests/contract/ContractPlatform.h"

namespace {
ISystem& System() { return ContractPlatform().System; }

std::string BesideTheExecutable(const std::string& name) {
  std::string exe = System().ExecutablePath();
  return exe.substr(0, exe.rfind('\\') + 1) + name;
}
}  // namespace

TEST(Process, LockFileIsHeldUnsharedAndGoesWithItsHandle) {
  const std::string path = BesideTheExecutable("KelvaneContract.lock");
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    TLockFileOpening opening = TLockFileOpening::Failed;
    THandle held = System().OpenLockFile(path, &opening);
    ASSERT_NE(held, THandle::None);
    EXPECT_EQ(opening, TLockFileOpening::Held);
    EXPECT_TRUE(System().FileExists(path));
    EXPECT_EQ(System().OpenLockFile(path, &opening), THandle::None) << "no second open";
    EXPECT_EQ(opening, TLockFileOpening::InUse);
    EXPECT_TRUE(System().CloseHandle(held));
    EXPECT_FALSE(System().FileExists(path)) << "deleted with its handle";
  }
  TLockFileOpening opening = TLockFileOpening::Held;
  EXPECT_EQ(System().OpenLockFile(BesideTheExecutable("no-such-folder\\x.lock"), &opening),
            THandle::None);
  EXPECT_EQ(opening, TLockFileOpening::Failed);
}

// Made with a list of its own: the system and administrators, nothing from the folder.
TEST(Process, LockFileLetsOnlyTheSystemAndAdministratorsAtIt) {
  const std::string path = BesideTheExecutable("KelvaneContract.List.lock");
  THandle held = System().OpenLockFile(path, nullptr);
  ASSERT_NE(held, THandle::None);
  TFileSecurity security;
  ASSERT_TRUE(System().GetFileSecurity(path, security));
  const TAccessList& list = security.List;
  std::vector<std::string> sids;
  for (const TAccessEntry& entry : list.Entries) sids.push_back(entry.Sid);
  EXPECT_FALSE(list.Null);
  WINE_DIFFERENCE(
      "Wine gives back a list made from the Unix modes (the system and the owner), not the one the "
      "file was made with",
      (sids == std::vector<std::string>{"S-1-5-18", "S-1-5-32-544"}),
      std::count(sids.begin(), sids.end(), "S-1-5-18") == 1 &&
          std::count(sids.begin(), sids.end(), System().ProcessUserSid(kThisProcess)) == 1);
  System().CloseHandle(held);
}

// The other process runs the contract's own executable. Its handle, not its identifier, is
// what it is asked and ended by.
TEST(Process, AProcessOfOursRunsAsOurAccountUntilItIsEnded) {
  const std::string ours = System().ProcessUserSid(kThisProcess);
  EXPECT_EQ(ours.rfind("S-1-5-", 0), 0u) << ours;
  std::unique_ptr<TForeignProcess> other = ContractOtherProcess();
  ASSERT_NE(other->Id(), 0u);
  THandle process = System().OpenProcess(other->Id());
  ASSERT_NE(process, THandle::None);
  EXPECT_EQ(System().ProcessUserSid(process), ours);
  std::string exe = System().ExecutablePath();
  std::string image = System().ProcessImagePath(process);
  EXPECT_EQ(image.substr(image.rfind('\\') + 1), exe.substr(exe.rfind('\\') + 1)) << image;
  EXPECT_FALSE(System().WaitForProcessExit(process, 0)) << "it runs";
  EXPECT_TRUE(System().TerminateProcess(process));
  EXPECT_TRUE(System().WaitForProcessExit(process, 5000));
  EXPECT_TRUE(System().CloseHandle(process));
  EXPECT_EQ(System().OpenProcess(0x7FFFFFFC), THandle::None) << "no such process";
  EXPECT_EQ(System().ProcessUserSid(THandle::None), "");
  EXPECT_FALSE(System().TerminateProcess(THandle::None));
}
