// The one owner of system handles: each handle closed exactly once, whatever moves it.
#include <gtest/gtest.h>

#include "platform/Owned.h"
#include "platform/sim/SimPlatform.h"

TEST(Owned, ClosesExactlyOnceThroughMovesAndResets) {
  TSimPlatform sim;
  {
    TOwnedKernelObject first(sim.System,
                             sim.System.CreateMutex("Local\\a", TMutexSharing::Default, nullptr));
    ASSERT_TRUE(first);
    TOwnedKernelObject second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(sim.System.OpenHandleCount(), 1u);
    TOwnedKernelObject third(sim.System);
    third = std::move(second);
    third.Reset(sim.System.CreateMutex("Local\\b", TMutexSharing::Default, nullptr));
    EXPECT_EQ(sim.System.OpenHandleCount(), 1u);  // the first mutex's handle went at the reset
  }
  EXPECT_EQ(sim.System.OpenHandleCount(), 0u);

  HKey opened = HKey::None;
  ASSERT_EQ(sim.Registry.RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Owned", opened),
            ERROR_SUCCESS);
  {
    TOwnedRegKey key(sim.Registry, opened);
    TOwnedRegKey predefined(sim.Registry, HKEY_CURRENT_USER);  // shared: never closed
  }
  EXPECT_EQ(sim.Registry.OpenKeyCount(), 0u);
  EXPECT_EQ(sim.Registry.RegOpenKeyA(HKEY_CURRENT_USER, "Software", opened), ERROR_SUCCESS);
  sim.Registry.RegCloseKey(opened);
}
