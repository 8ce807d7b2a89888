// What the system tells of files and folders, as the rule for what an elevated Kelvane loads
// reads it: owners and lists, attributes, final paths and drive types, for names beyond the
// ANSI code page and paths beyond the classic limit of 260 characters.
// Links: the end-to-end tests make one from the Unix side, which Wine tells as a reparse point.
#include <algorithm>
#include <cctype>

#include "tests/contract/ContractPlatform.h"

namespace {
ISystem& System() { return ContractPlatform().System; }

bool EndsWithText(const std::string& text, const std::string& end) {
  auto same = [](unsigned char a, unsigned char b) { return std::toupper(a) == std::toupper(b); };
  return text.size() >= end.size() && std::equal(end.rbegin(), end.rend(), text.rbegin(), same);
}

// A folder beside the executable with a name no ANSI code page holds whole, and what a case
// makes in it; all of it removed when the case ends.
class TScratch {
 public:
  TScratch() {
    std::string exe = System().ExecutablePath();
    Folder = exe.substr(0, exe.rfind('\\')) + "\\" + kName;
    EXPECT_TRUE(ContractMakeFolder(Folder));
  }
  ~TScratch() {
    for (auto made = FMade.rbegin(); made != FMade.rend(); ++made) ContractRemove(*made);
    ContractRemove(Folder);
  }
  std::string Make(const std::string& inside, bool folder) {
    std::string path = Folder + "\\" + inside;
    EXPECT_TRUE(folder ? ContractMakeFolder(path) : ContractMakeFile(path)) << path;
    FMade.push_back(path);
    return path;
  }

  static constexpr char kName[] = "KelvaneContract \xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB \xE3\x83\x84";
  std::string Folder;

 private:
  std::vector<std::string> FMade;
};
}  // namespace

// What this process makes belongs to its account (to the Administrators group, where an
// elevated administrator makes it), gets a list of plain entries from its folder, and is
// named in the system's own form once resolved.
TEST(FileFacts, OwnerListAttributesAndFinalPathOfWhatTheProcessMakes) {
  TScratch scratch;
  std::string file = scratch.Make("driver.sys", false);
  std::string account = System().ProcessUserSid(kThisProcess);
  EXPECT_EQ(account.rfind("S-1-5-", 0), 0u) << account;
  for (const std::string& path : {scratch.Folder, file}) {
    SCOPED_TRACE(path);
    TFileSecurity security;
    ASSERT_TRUE(System().GetFileSecurity(path, security));
    EXPECT_TRUE(security.Owner == account || security.Owner == "S-1-5-32-544") << security.Owner;
    EXPECT_FALSE(security.List.Null);
    EXPECT_FALSE(security.List.Entries.empty());
    for (const TAccessEntry& entry : security.List.Entries) {
      EXPECT_EQ(entry.Type, TAceType::Plain);
      EXPECT_EQ(entry.Sid.rfind("S-1-", 0), 0u) << entry.Sid;
    }
  }
  std::optional<std::uint32_t> folder = System().FileAttributes(scratch.Folder);
  ASSERT_TRUE(folder);
  EXPECT_EQ(*folder & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(System().FileAttributes(file));
  EXPECT_EQ(*System().FileAttributes(file) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_TRUE(System().FileExists(file));
  std::vector<std::uint8_t> bytes{1};
  EXPECT_TRUE(ContractFiles().ReadFile(file, bytes));  // by its UTF-8 name, not the code page's
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ContractFiles().ReadFile(scratch.Folder + "\\missing.sys", bytes));
  EXPECT_FALSE(System().FileAttributes(scratch.Folder + "\\missing.sys"));
  TFileSecurity none;
  EXPECT_FALSE(System().GetFileSecurity(scratch.Folder + "\\missing.sys", none));
  std::string resolved;
  EXPECT_FALSE(System().FinalPath(scratch.Folder + "\\missing.sys", resolved));
  ASSERT_TRUE(System().FinalPath(scratch.Folder, resolved));
  EXPECT_EQ(resolved.rfind("\\\\?\\", 0), 0u) << resolved;
  ASSERT_TRUE(System().FinalPath(file, resolved));
  EXPECT_TRUE(EndsWithText(resolved, std::string("\\") + TScratch::kName + "\\driver.sys"))
      << resolved;
}

// Folders nested past 260 characters: every fact is still told, by the full path. (Wine 8
// cannot resolve such a path; a Kelvane in such a folder under Wine names its path unusable.)
TEST(FileFacts, PathsBeyondTheClassicLimit) {
  TScratch scratch;
  std::string inside;
  for (int depth = 0; depth < 6; ++depth) {
    inside += (depth ? "\\" : "") + std::string(48, static_cast<char>('a' + depth));
    scratch.Make(inside, true);
  }
  std::string file = scratch.Make(inside + "\\driver.sys", false);
  ASSERT_GT(file.size(), 300u);
  EXPECT_TRUE(System().FileExists(file));
  EXPECT_TRUE(System().FileAttributes(file));
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(ContractFiles().ReadFile(file, bytes));
  TFileSecurity security;
  EXPECT_TRUE(System().GetFileSecurity(file, security));
  std::string resolved;
  bool told = System().FinalPath(file, resolved);
  WINE_DIFFERENCE("Wine asks for the name of an open file with room for 260 characters", told,
                  !told);
  if (told) {
    EXPECT_TRUE(EndsWithText(resolved, inside + "\\driver.sys")) << resolved;
  }
}

TEST(FileFacts, TheExecutablesDriveIsAFixedDisk) {
  std::string exe = System().ExecutablePath();
  EXPECT_EQ(System().DriveType(exe.substr(0, 3)), TDriveType::Fixed);
  EXPECT_EQ(System().DriveType("B:\\"), TDriveType::NoRootDir) << "no such drive";
}
