// The rule for what an elevated Kelvane loads, on a machine whose files answer with owners,
// lists of every entry type, links and drive types, as Windows' do.
#include <gtest/gtest.h>

#include <functional>

#include "hw/LoadPlace.h"
#include "platform/sim/SimPlatform.h"

namespace {
const std::string kRoot = "C:\\";
const std::string kAbove = "C:\\Program Files";
const std::string kFolder = kAbove + "\\Kelvane";
const std::string kFile = kFolder + "\\giveio.sys";
constexpr char kUsers[] = "S-1-5-32-545";
constexpr char kPowerUsers[] = "S-1-5-32-547";
constexpr char kGuests[] = "S-1-5-32-546";
constexpr char kDomainUsers[] = "S-1-5-21-3623811015-3361044348-30300820-513";
constexpr char kCustomGroup[] = "S-1-5-21-3623811015-3361044348-30300820-1107";
constexpr char kOtherAccount[] = "S-1-5-21-1180699209-877415012-3182924384-1005";
constexpr char kCreatorOwner[] = "S-1-3-0";
constexpr char kTrustedInstaller[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr std::uint32_t kModify = 0x001301BF;
constexpr std::uint32_t kFull = 0x001F01FF;

TAccessEntry Allow(const char* sid, std::uint32_t mask, bool inheritOnly = false,
                   TAceType type = TAceType::Plain) {
  return {true, mask, sid, inheritOnly, type};
}

struct TCase {
  const char* What;
  std::function<void(TSimSystem&)> Arrange;
  TLoadPlace Verdict;
  std::string Path = kFile;
};

// The list a setup gives, with one entry more.
std::function<void(TSimSystem&)> Adds(const std::string& path, TAccessEntry entry) {
  return [=](TSimSystem& system) {
    TAccessList list = TSimSystem::ProtectedList;
    list.Entries.push_back(entry);
    system.SetAccessList(path, list);
  };
}
std::function<void(TSimSystem&)> Owns(const std::string& path, const char* sid) {
  return [=](TSimSystem& system) { system.SetOwner(path, sid); };
}
}  // namespace

TEST(LoadPlace, VerdictsBySidOwnerEntryTypeParentLinkAndDrive) {
  using enum TLoadPlace;
  const std::string account = TSimPlatform().System.AccountSid;
  const TCase cases[] = {
      {"as a setup leaves it", [](TSimSystem&) {}, Protected},
      // Write-type rights on the file, for anyone but the system's own and our account.
      {"Users may modify the file", Adds(kFile, Allow(kUsers, kModify)), OthersMayChange},
      {"Power Users may write", Adds(kFile, Allow(kPowerUsers, FILE_WRITE_DATA)), OthersMayChange},
      {"Domain Users may append", Adds(kFile, Allow(kDomainUsers, FILE_APPEND_DATA)),
       OthersMayChange},
      {"Guests may change the list", Adds(kFile, Allow(kGuests, WRITE_DAC)), OthersMayChange},
      {"a custom group may write", Adds(kFile, Allow(kCustomGroup, GENERIC_WRITE)),
       OthersMayChange},
      {"another account may take it", Adds(kFile, Allow(kOtherAccount, WRITE_OWNER)),
       OthersMayChange},
      {"Users may read and run it", Adds(kFile, Allow(kUsers, 0x001200A9)), Protected},
      {"our account has every right", Adds(kFile, Allow(account.c_str(), GENERIC_ALL)), Protected},
      {"TrustedInstaller has every right", Adds(kFile, Allow(kTrustedInstaller, kFull)), Protected},
      {"Users are denied everything", Adds(kFile, {false, kFull, kUsers, false}), Protected},
      {"the list is null",
       [](TSimSystem& s) {
         s.SetAccessList(kFile, {true, {}});
       },
       OthersMayChange},
      {"the list cannot be read", [](TSimSystem& s) { s.RefuseSecurity(kFile); }, Unreadable},
      // Owners: an owner may always change the list.
      {"another account owns the file", Owns(kFile, kOtherAccount), OthersMayChange},
      {"Users own the folder", Owns(kFolder, kUsers), OthersMayChange},
      {"our account owns the file", Owns(kFile, account.c_str()), Protected},
      {"TrustedInstaller owns the folder", Owns(kFolder, kTrustedInstaller), Protected},
      // Entry types other than the plain one, and inheritance, in the folder.
      {"a condition lets Administrators write",
       Adds(kFolder, Allow("S-1-5-32-544", FILE_WRITE_DATA, false, TAceType::Callback)),
       OthersMayChange},
      {"a condition lets Users read",
       Adds(kFolder, Allow(kUsers, 0x001200A9, false, TAceType::Callback)), Protected},
      {"an object entry lets Users delete",
       Adds(kFolder, Allow(kUsers, DELETE, false, TAceType::Object)), OthersMayChange},
      {"an entry of an unread type", Adds(kFolder, {false, 0, "", false, TAceType::Other}),
       OthersMayChange},
      {"CREATOR OWNER on what the folder holds",
       Adds(kFolder, Allow(kCreatorOwner, GENERIC_ALL, true)), Protected},
      {"CREATOR OWNER on the folder itself", Adds(kFolder, Allow(kCreatorOwner, GENERIC_ALL)),
       OthersMayChange},
      {"Users on what the folder will hold", Adds(kFolder, Allow(kUsers, kModify, true)),
       OthersMayChange},
      {"Users may add files to the folder", Adds(kFolder, Allow(kUsers, FILE_WRITE_DATA)),
       OthersMayChange},
      {"Users may delete in the folder", Adds(kFolder, Allow(kUsers, FILE_DELETE_CHILD)),
       OthersMayChange},
      // Folders above: only deleting, renaming and re-listing them counts.
      {"Users may delete in the folder above", Adds(kAbove, Allow(kUsers, FILE_DELETE_CHILD)),
       OthersMayChange},
      {"Users may rename the folder above", Adds(kAbove, Allow(kUsers, DELETE)), OthersMayChange},
      {"Users may re-list the root", Adds(kRoot, Allow(kUsers, WRITE_DAC)), OthersMayChange},
      {"another account owns the root", Owns(kRoot, kOtherAccount), OthersMayChange},
      {"Users may add folders beside ours", Adds(kAbove, Allow(kUsers, kModify & ~DELETE)),
       Protected},
      {"Users may modify what the root will hold (C:\\)",
       Adds(kRoot, Allow("S-1-5-11", kModify, true)), Protected},
      // The way there, and the drive.
      {"the folder is a junction", [](TSimSystem& s) { s.AddLink(kFolder, "D:\\Elsewhere"); },
       Redirected},
      {"a folder above is a link", [](TSimSystem& s) { s.AddLink(kAbove, "C:\\Users\\x"); },
       Redirected},
      {"a network share", [](TSimSystem&) {}, NotLocal, "\\\\server\\share\\giveio.sys"},
      {"a mapped network drive", [](TSimSystem& s) { s.Drives["N:\\"] = TDriveType::Remote; },
       NotLocal, "N:\\Kelvane\\giveio.sys"},
      {"a removable drive", [](TSimSystem& s) { s.Drives["E:\\"] = TDriveType::Removable; },
       NotLocal, "E:\\Kelvane\\giveio.sys"},
      {"the system's long form", [](TSimSystem&) {}, Protected, "\\\\?\\" + kFile},
      {"a folder that does not exist", [](TSimSystem&) {}, Unusable, "C:\\Nowhere\\giveio.sys"},
      {"a relative path", [](TSimSystem&) {}, Unusable, "giveio.sys"},
      {"a way back up", [](TSimSystem&) {}, Unusable, kFolder + "\\..\\giveio.sys"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TSimPlatform sim;
    sim.System.AddFile(kFile);
    c.Arrange(sim.System);
    TLoadCheck check = CheckLoadPlace(sim.System, c.Path);
    EXPECT_EQ(check.Verdict, c.Verdict);
    EXPECT_EQ(check.Passed(), c.Verdict == Protected);
    if (c.Verdict == Protected) {
      EXPECT_EQ(check.FinalPath, kFile);
    }
  }
}

TEST(LoadPlace, DriverImagePathsInTheUsualForm) {
  const std::string windows = "C:\\Windows";
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Program Files\\Kelvane\\giveio.sys", "C:\\Program Files\\Kelvane\\giveio.sys"},
      {"\\??\\C:\\Users\\me\\Downloads\\giveio.sys", "C:\\Users\\me\\Downloads\\giveio.sys"},
      {"\\\\?\\D:\\giveio.sys", "D:\\giveio.sys"},
      {"\\??\\UNC\\server\\share\\giveio.sys", "\\\\server\\share\\giveio.sys"},
      {"\\SystemRoot\\System32\\drivers\\giveio.sys", "C:\\Windows\\System32\\drivers\\giveio.sys"},
      {"\\systemroot\\giveio.sys", "C:\\Windows\\giveio.sys"},
      {"%SystemRoot%\\System32\\drivers\\giveio.sys", "C:\\Windows\\System32\\drivers\\giveio.sys"},
      {"System32\\drivers\\giveio.sys", "C:\\Windows\\System32\\drivers\\giveio.sys"},
      {"\\Device\\HarddiskVolume2\\giveio.sys", ""},
      {"C:giveio.sys", ""},
      {"", ""},
  };
  for (const auto& [registered, usual] : cases)
    EXPECT_EQ(DriverImagePath(registered, windows), usual) << registered;
}

// The setup's caller: its install folder (made by it, or an earlier install's), whom it
// trusts, and the driver file handed over beside it. Wine cannot decide these (its lists come
// from Unix modes, its owner is always the token's user): the simulated machine follows Windows.
TEST(LoadPlace, TheSetupsFoldersAndTheDesktopUser) {
  using enum TLoadPlace;
  constexpr char kDesktopUser[] = "S-1-5-21-1180699209-877415012-3182924384-1009";
  const std::string kOwn = "C:\\Kelvane";
  const std::string kDefault = "C:\\Program Files\\Kelvane";
  struct TSetupCase {
    const char* What;
    std::function<void(TSimSystem&)> Arrange;
    std::string Folder;
    TLoadPlace Verdict;
    bool IsDefault = false;
    bool Earlier = false;
  };
  auto made = [&](TSimSystem& s) {
    s.SetAccessList(kOwn, kInstallFolderSecurity.List);
    s.SetOwner(kOwn, kInstallFolderSecurity.Owner);
  };
  auto userAbove = [&](TSimSystem& s) {
    s.SetOwner("C:\\Apps", kDesktopUser);
    s.SetAccessList("C:\\Apps", {false, {Allow(kDesktopUser, kFull)}});
  };
  const TSetupCase cases[] = {
      {"a new folder", [](TSimSystem&) {}, kOwn, Protected},
      {"a new folder in a new one", [](TSimSystem&) {}, "C:\\New\\Kelvane", Protected},
      {"one that exists (made by anyone)", made, kOwn, Occupied},
      {"an earlier install's, as the setup made it", made, kOwn, Protected, false, true},
      {"an earlier install's that others may change", Adds(kOwn, Allow(kUsers, kModify)), kOwn,
       Foreign, false, true},
      {"an earlier install's owned by another account",
       [&](TSimSystem& s) {
         made(s);
         s.SetOwner(kOwn, kOtherAccount);
       },
       kOwn, Foreign, false, true},
      {"an earlier install's that is a junction",
       [&](TSimSystem& s) { s.AddLink(kOwn, "C:\\Users\\x\\Open"); }, kOwn, Redirected, false,
       true},
      {"a link to another folder", [&](TSimSystem& s) { s.AddLink(kOwn, "C:\\Elsewhere"); }, kOwn,
       Redirected},
      {"below a link", [&](TSimSystem& s) { s.AddLink("C:\\Apps", "C:\\Users\\x"); },
       "C:\\Apps\\Kelvane", Redirected},
      {"a file in its place", [&](TSimSystem& s) { s.AddFile(kOwn); }, kOwn, Occupied, false, true},
      {"below a standard desktop user's folder", userAbove, "C:\\Apps\\Kelvane", OthersMayChange},
      {"below an administrator desktop user's folder",
       [&](TSimSystem& s) {
         userAbove(s);
         s.DesktopAdministrators.insert(kDesktopUser);
       },
       "C:\\Apps\\Kelvane", Protected},
      {"below a folder Users may rename", Adds("C:\\Apps", Allow(kUsers, DELETE)),
       "C:\\Apps\\Kelvane", OthersMayChange},
      {"the default, as Program Files passes it on", [&](TSimSystem&) {}, kDefault, Protected, true,
       true},
      {"the default, where Users may write", Adds(kDefault, Allow(kUsers, FILE_WRITE_DATA)),
       kDefault, OthersMayChange, true},
      {"a drive's root", [](TSimSystem&) {}, "C:\\", Unusable},
      {"a removable drive", [](TSimSystem& s) { s.Drives["E:\\"] = TDriveType::Removable; },
       "E:\\Kelvane", NotLocal},
      {"a share", [](TSimSystem&) {}, "\\\\server\\share\\Kelvane", NotLocal},
  };
  for (const TSetupCase& c : cases) {
    SCOPED_TRACE(c.What);
    TSimPlatform sim;
    sim.System.AddFile(kFile);
    sim.System.AddFile("C:\\Apps\\notes.txt");
    c.Arrange(sim.System);
    std::vector<std::string> accounts = SetupAccounts(sim.System, kDesktopUser);
    EXPECT_EQ(CheckInstallFolder(sim.System, c.Folder, c.IsDefault, c.Earlier, accounts),
              c.Verdict);
    // What passes is made with its list in the same call; nothing else is made.
    EXPECT_EQ(MakeInstallFolder(sim.System, c.Folder, c.IsDefault, c.Earlier, accounts), c.Verdict);
    TFileSecurity security;
    if (c.Verdict == Protected && !c.IsDefault) {
      ASSERT_TRUE(sim.System.GetFileSecurity(c.Folder, security));
      EXPECT_EQ(security, kInstallFolderSecurity);
    }
    bool makes = false;
    for (const std::string& call : sim.System.Calls) makes |= call.starts_with("CreateFolder");
    EXPECT_EQ(makes, c.Verdict == Protected && !c.Earlier);
  }

  // One made by another process after the folder page's check is not adopted at the install.
  TSimPlatform sim;
  sim.System.AddFile(kFile);
  std::vector<std::string> accounts = SetupAccounts(sim.System, "");
  ASSERT_EQ(CheckInstallFolder(sim.System, kOwn, false, false, accounts), Protected);
  sim.System.SetOwner(kOwn, kOtherAccount);
  EXPECT_EQ(MakeInstallFolder(sim.System, kOwn, false, false, accounts), Occupied);

  // The driver file beside the setup: in a standard desktop user's downloads it is theirs to
  // swap; in an administrator's, as safe as the setup itself.
  const std::string downloads = "C:\\Users\\me\\Downloads";
  for (bool administrator : {false, true}) {
    TSimPlatform machine;
    machine.System.AddFile(downloads + "\\giveio.sys");
    for (const std::string& folder : {std::string("C:\\Users\\me"), downloads}) {
      machine.System.SetOwner(folder, kDesktopUser);
      machine.System.SetAccessList(folder, {false, {Allow(kDesktopUser, kFull)}});
    }
    if (administrator) machine.System.DesktopAdministrators.insert(kDesktopUser);
    EXPECT_EQ(CheckLoadPlace(machine.System, downloads + "\\giveio.sys",
                             SetupAccounts(machine.System, kDesktopUser))
                  .Passed(),
              administrator);
  }
}
