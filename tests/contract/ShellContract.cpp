// The notification area: entries kept by window and identity, with the system's answers to
// a second add, to changes and removals of entries that are not there; and the version of
// the common controls.
#include <iterator>
#include <string_view>

#include "tests/contract/ContractPlatform.h"

namespace {
IShell& Shell() { return ContractPlatform().Shell; }

// A message window and an icon for the entries of one case; the entries are removed first.
class TTrayOwner {
 public:
  TTrayOwner()
      : FRec(ContractPlatform().Windows), FWindow(ContractPlatform().Windows, PlainWindow(&FRec)) {
    IGdi& gdi = ContractPlatform().Gdi;
    HGdiObj bitmap = gdi.CreateBitmap(16, 16);
    FIcon = gdi.CreateIconFromBitmap(bitmap, false, 0);
    gdi.DeleteObject(bitmap);
  }
  ~TTrayOwner() {
    for (std::uint32_t id : FAdded) Shell().NotifyIcon(NIM_DELETE, Record(id, 0));
    ContractPlatform().Gdi.DestroyIcon(FIcon);
  }
  TNotifyIconData Record(std::uint32_t id, std::uint32_t flags,
                         std::u16string_view tip = u"") const {
    TNotifyIconData data;
    data.cbSize = NotifyIconDataSize;
    data.hWnd = static_cast<std::uint32_t>(FWindow.Handle());
    data.uID = id;
    data.uFlags = flags;
    data.uCallbackMessage = WM_APP + 20;
    data.hIcon = static_cast<std::uint32_t>(FIcon);
    tip.copy(data.szTip, std::size(data.szTip) - 1);
    return data;
  }
  bool Add(std::uint32_t id) {
    bool added = Shell().NotifyIcon(NIM_ADD, Record(id, NIF_MESSAGE | NIF_ICON | NIF_TIP, u"42"));
    if (added) FAdded.push_back(id);
    return added;
  }

 private:
  TRecorder FRec;
  TTestWindow FWindow;
  HIcon FIcon = HIcon::None;
  std::vector<std::uint32_t> FAdded;
};
}  // namespace

TEST(Shell, AddingAnEntryTwiceIsRefusedTheSecondTime) {
  TTrayOwner owner;
  EXPECT_TRUE(owner.Add(1));
  EXPECT_FALSE(Shell().NotifyIcon(NIM_ADD, owner.Record(1, NIF_MESSAGE | NIF_ICON)));
  EXPECT_TRUE(owner.Add(2)) << "another identity is another entry";
}

TEST(Shell, ChangesReachOnlyEntriesThatAreThere) {
  TTrayOwner owner;
  ASSERT_TRUE(owner.Add(3));
  EXPECT_TRUE(Shell().NotifyIcon(NIM_MODIFY, owner.Record(3, NIF_TIP, u"43")));
  EXPECT_TRUE(Shell().NotifyIcon(NIM_MODIFY, owner.Record(3, NIF_ICON)));
  EXPECT_FALSE(Shell().NotifyIcon(NIM_MODIFY, owner.Record(4, NIF_TIP, u"44")));
}

TEST(Shell, RemovalTakesTheEntryAwayOnce) {
  TTrayOwner owner;
  ASSERT_TRUE(owner.Add(5));
  EXPECT_TRUE(Shell().NotifyIcon(NIM_DELETE, owner.Record(5, 0)));
  EXPECT_FALSE(Shell().NotifyIcon(NIM_DELETE, owner.Record(5, 0)));
  EXPECT_FALSE(Shell().NotifyIcon(NIM_MODIFY, owner.Record(5, NIF_TIP, u"x")));
  EXPECT_TRUE(owner.Add(5)) << "and it can come back";
}

TEST(Shell, VersionIsSetOnlyForAnEntryThatIsThere) {
  TTrayOwner owner;
  ASSERT_TRUE(owner.Add(6));
  TNotifyIconData record = owner.Record(6, 0);
  record.uVersion = 3;
  EXPECT_TRUE(Shell().NotifyIcon(NIM_SETVERSION, record));
  record.uID = 7;
  EXPECT_FALSE(Shell().NotifyIcon(NIM_SETVERSION, record));
}

TEST(Shell, CommonControlsAreAtLeastVersionFive) {
  EXPECT_GE(Shell().ComCtlVersion(), (TFileVersion{5, 0}));
}

// The contract's machines run at 100 %; the 144-dpi answer is the Wine section's to show.
TEST(Shell, IconsAreShownAtSixteenPixelsAtOneHundredPercent) {
  EXPECT_EQ(Shell().NotifyIconSize(), 16);
}

TEST(Shell, ABalloonIsAChangeOfAnEntryThatIsThere) {
  TTrayOwner owner;
  ASSERT_TRUE(owner.Add(8));
  TNotifyIconData balloon = owner.Record(8, NIF_INFO);
  std::u16string_view(u"Kelvane").copy(balloon.szInfoTitle, 7);
  std::u16string_view(u"text").copy(balloon.szInfo, 4);
  balloon.dwInfoFlags = NIIF_INFO;
  EXPECT_TRUE(Shell().NotifyIcon(NIM_MODIFY, balloon));
  balloon.uID = 9;
  EXPECT_FALSE(Shell().NotifyIcon(NIM_MODIFY, balloon));
}
