// What the setup's plugin decides, on the simulated machine: each entry's answer, and the
// sentence the script shows for it. Elevation and access lists are Windows' as documented (the
// Wine checks cannot decide them).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sim/SimPlatform.h"
#include "setup/SetupSteps.h"
#include "setup/SetupText.h"
#include "tests/support/SimFixture.h"

namespace {
constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kInstall = "C:\\Program Files\\Kelvane";
constexpr char kOtherUser[] = "S-1-5-21-1180699209-877415012-3182924384-1005";

struct TSetupMachine : TSimPlatform {
  TSetupMachine() {
    System.ExePath = "C:\\Downloads\\setup.exe";
    Registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
    System.ManagerRefused = false;
  }
  bool Exists(const std::string& path) { return System.FileAttributes(path).has_value(); }
  // An earlier install: its files, and one the user put there.
  void Install(const std::string& folder, bool userFile = false) {
    for (const char* name : {"kelvane.exe", "README.txt", "uninstall.exe"})
      System.AddFile(folder + "\\" + name);
    if (userFile) System.AddFile(folder + "\\notes.txt");
  }
};
}  // namespace

TEST(SetupSteps, UsersFromTheSessionElseTheSetupsOwnAccount) {
  struct TCase {
    const char* What;
    std::string Session;
    TSetupUsers Expected;
  } cases[] = {
      {"the setup's own account at the desktop",
       "KELVANE-PC\\Admin",
       {"KELVANE-PC\\Admin", "S-1-5-21-1180699209-877415012-3182924384-1004", "KELVANE-PC\\Admin"}},
      {"a standard user at the desktop, another account approved",
       "kelvane-pc\\anna",
       {"kelvane-pc\\anna", kOtherUser, "KELVANE-PC\\Admin"}},
      {"the session cannot be asked",
       "",
       {"KELVANE-PC\\Admin", "S-1-5-21-1180699209-877415012-3182924384-1004", "KELVANE-PC\\Admin"}},
      {"an account the system does not know", "GONE\\bob", {"GONE\\bob", "", "KELVANE-PC\\Admin"}},
  };
  for (const TCase& c : cases) {
    TSetupMachine machine;
    machine.System.Accounts["KELVANE-PC\\Anna"] = kOtherUser;
    machine.System.SessionUser = c.Session;
    TSetupUsers users = FindSetupUsers(machine.System, machine.System);
    EXPECT_EQ(users.DesktopName, c.Expected.DesktopName) << c.What;
    EXPECT_EQ(users.DesktopSid, c.Expected.DesktopSid) << c.What;
    EXPECT_EQ(users.SetupName, c.Expected.SetupName) << c.What;
  }
}

TEST(SetupSteps, DefaultFoldersFromTheSystemNeverTheEnvironment) {
  TSetupMachine machine;
  machine.Registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "D:\\Apps\\");
  machine.System.ProgramFilesX86 = "D:\\Apps (x86)";
  // What a process of the desktop user may set for the elevated setup (HKCU\Environment).
  ::setenv("ProgramFiles(x86)", "C:", 1);
  ::setenv("ProgramW6432", "C:", 1);
  EXPECT_EQ(DefaultInstallFolder(machine.System, machine.Registry, true), "D:\\Apps\\Kelvane");
  EXPECT_EQ(DefaultInstallFolder(machine.System, machine.Registry, false),
            "D:\\Apps (x86)\\Kelvane");
  EXPECT_TRUE(
      IsDefaultInstallFolder(machine.System, machine.Registry, "d:\\apps (x86)\\kelvane\\"));
  EXPECT_FALSE(IsDefaultInstallFolder(machine.System, machine.Registry, "C:\\Kelvane"));
  // So C:\Kelvane is made as any other folder: with the setup's own list, not C:\'s.
  TAccessList usersMayAdd = TSimSystem::ProtectedList;
  usersMayAdd.Entries.push_back({true, FILE_WRITE_DATA | FILE_APPEND_DATA, "S-1-5-11"});
  machine.System.SetAccessList("C:\\", usersMayAdd);
  EXPECT_EQ(InstallFolderVerdict(machine.System, machine.System, machine.Registry, "C:\\Kelvane",
                                 false, "", true),
            TLoadPlace::Protected);
  TFileSecurity made;
  ASSERT_TRUE(machine.System.GetFileSecurity("C:\\Kelvane", made));
  EXPECT_EQ(made, kInstallFolderSecurity);
  ::unsetenv("ProgramFiles(x86)");
  ::unsetenv("ProgramW6432");
}

TEST(SetupSteps, AMadeFolderThatFailsTheRuleIsRemovedAgain) {
  // The default folder inherits its program folder's list: one that lets users add files
  // (which a folder above may, where nothing we load lies) hands that on to it.
  TSetupMachine machine;
  TAccessList usersMayAdd = TSimSystem::ProtectedList;
  usersMayAdd.Entries.push_back({true, FILE_WRITE_DATA | FILE_APPEND_DATA, "S-1-5-11"});
  machine.System.SetAccessList("C:\\Program Files (x86)", usersMayAdd);
  const std::string folder = "C:\\Program Files (x86)\\Kelvane";
  EXPECT_EQ(InstallFolderVerdict(machine.System, machine.System, machine.Registry, folder, false,
                                 "", false),
            TLoadPlace::Protected);  // judged before it is made: only the folder above
  EXPECT_EQ(InstallFolderVerdict(machine.System, machine.System, machine.Registry, folder, false,
                                 "", true),
            TLoadPlace::OthersMayChange);
  EXPECT_FALSE(machine.Exists(folder));
  EXPECT_TRUE(machine.Exists("C:\\Program Files (x86)"));
}

TEST(SetupSteps, OnlyTheDriverServiceWhoseImageLiesInTheFolderIsRemoved) {
  struct TCase {
    const char* What;
    std::string Image;
    bool Removed;
  } cases[] = {
      {"in the folder, in the kernel's form", "\\??\\C:\\Program Files\\Kelvane\\giveio.sys", true},
      {"through a link into the folder", "C:\\Old\\giveio.sys", true},
      {"in a folder whose name only starts alike", "C:\\Program Files\\Kelvane2\\giveio.sys",
       false},
      {"another program's", "C:\\Drivers\\giveio.sys", false},
      {"a device path", "\\Device\\giveio", false},
  };
  for (const TCase& c : cases) {
    TSetupMachine machine;
    machine.Install(kInstall);
    machine.System.AddFile("C:\\Program Files\\Kelvane2\\giveio.sys");
    machine.System.AddFile("C:\\Drivers\\giveio.sys");
    machine.System.AddLink("C:\\Old", kInstall);
    machine.System.Services["giveio"] = {{"giveio", "giveio", 0, SERVICE_KERNEL_DRIVER,
                                          SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, c.Image},
                                         true};
    std::string said = RemoveOwnDriverService(machine.System, machine.System, kInstall);
    EXPECT_EQ(machine.System.Services.count("giveio") == 0, c.Removed) << c.What;
    EXPECT_EQ(said, c.Removed ? SetupText(TSetupText::DriverServiceRemoved)
                              : SetupText(TSetupText::DriverServiceForeign, {c.Image}))
        << c.What;
    EXPECT_EQ(machine.System.OpenHandleCount(), 0u) << c.What;
  }
  TSetupMachine none;
  EXPECT_EQ(RemoveOwnDriverService(none.System, none.System, kInstall), "");
}

TEST(SetupSteps, AnInstallFolderGoesThroughHandlesThatFollowNoLink) {
  struct TCase {
    const char* What;
    std::function<void(TSetupMachine&)> Arrange;
    std::string Said;
    bool FilesGone;
  } cases[] = {
      {"an install as the setup left it", [](TSetupMachine&) {}, "", true},
      {"with a file of the user's", [](TSetupMachine& m) { m.Install(kInstall, true); },
       SetupText(TSetupText::InstallFolderKept, {kInstall}), true},
      {"a folder on the way is a junction",
       [](TSetupMachine& m) { m.System.AddLink("C:\\Program Files", "C:\\Elsewhere"); },
       SetupText(TSetupText::InstallFolderLinked, {kInstall}), false},
      {"a link inside, named as one of its files",
       [](TSetupMachine& m) { m.System.AddLink(kInstall + "\\giveio.sys", "C:\\Windows"); },
       SetupText(TSetupText::InstallFolderLinked, {kInstall}), false},
      {"a file in use",
       [](TSetupMachine& m) {
         m.System.FilesInUse.insert("C:\\PROGRAM FILES\\KELVANE\\README.TXT");
       },
       SetupText(TSetupText::InstallFileStays, {kInstall, "README.txt"}), true},
  };
  for (const TCase& c : cases) {
    TSetupMachine machine;
    machine.Install(kInstall);
    c.Arrange(machine);
    EXPECT_EQ(RemoveInstallFolder(machine.System, machine.System, kInstall), c.Said) << c.What;
    EXPECT_EQ(!machine.System.FileExists(kInstall + "\\kelvane.exe"), c.FilesGone) << c.What;
    EXPECT_EQ(machine.Exists(kInstall), !c.Said.empty()) << c.What;
    EXPECT_EQ(machine.System.OpenHandleCount(), 0u) << c.What;
  }
}

TEST(SetupSteps, PawnIoAsTheProgramFindsItAndItsSetupsExitCode) {
  TSetupMachine machine;
  std::string missing = PawnIoMissing(machine.Registry);
  EXPECT_NE(missing.find("winget install namazso.PawnIO"), std::string::npos);
  machine.Registry.SetString(HKEY_LOCAL_MACHINE, kPawnIoUninstallKey, "InstallLocation",
                             "C:\\Program Files\\PawnIO");
  EXPECT_EQ(PawnIoMissing(machine.Registry), "");

  EXPECT_EQ(PawnIoSetupEnded("0"), "");
  EXPECT_EQ(PawnIoSetupEnded("50").rfind("PawnIO's setup ended with exit code 50, ", 0), 0u);
  EXPECT_NE(PawnIoSetupEnded("").find("none (it did not start)"), std::string::npos);
}
