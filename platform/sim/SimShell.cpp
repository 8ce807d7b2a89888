#include "platform/sim/SimShell.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>

#include "platform/sim/SimText.h"

namespace {
// Units of the tip the wide call reads, by the record's size: 128 with the layout that has
// the balloon fields and the later ones (a GUID, a balloon icon); any other size, an ANSI
// record's included, is read as the first layout, whose tip holds 64 with its end mark.
std::size_t TipUnits(std::uint32_t size) {
  return size == NotifyIconDataSize || size == 952 || size == 956 ? 128 : 64;
}

// The fields a change request carries, by its flags.
void Merge(TNotifyIconData& entry, const TNotifyIconData& data) {
  if (data.uFlags & NIF_MESSAGE) entry.uCallbackMessage = data.uCallbackMessage;
  if (data.uFlags & NIF_ICON) entry.hIcon = data.hIcon;
  if (data.uFlags & NIF_TIP) std::memcpy(entry.szTip, data.szTip, sizeof entry.szTip);
  // Only the layouts with the balloon fields carry them.
  if ((data.uFlags & NIF_INFO) && TipUnits(data.cbSize) == std::size(data.szTip)) {
    std::memcpy(entry.szInfo, data.szInfo, sizeof entry.szInfo);
    std::memcpy(entry.szInfoTitle, data.szInfoTitle, sizeof entry.szInfoTitle);
    entry.dwInfoFlags = data.dwInfoFlags;
  }
  entry.uFlags |= data.uFlags;
}
}  // namespace

bool TSimShell::NotifyIcon(std::uint32_t message, const TNotifyIconData& data) {
  TRequest scratch;
  TRequest& request = Logging ? Requests.emplace_back() : scratch;
  request.Message = message;
  request.Data = data;
  if (Absent || Refusing) return false;
  const TNotifyIconData* record = &data;
  std::optional<TNotifyIconData> shortTip;
  if (TipUnits(data.cbSize) < std::size(data.szTip)) {
    record = &shortTip.emplace(data);
    std::fill(std::begin(shortTip->szTip) + TipUnits(data.cbSize) - 1, std::end(shortTip->szTip),
              0);
  }
  auto key = std::make_pair(data.hWnd, data.uID);
  auto it = Entries.find(key);
  switch (message) {
    case NIM_ADD:
      if (it != Entries.end()) return false;
      if (RefuseAdds > 0) {
        --RefuseAdds;
        return false;
      }
      Entries[key] = *record;
      Entries[key].uVersion = 0;  // a new entry starts at the first version
      if (TimeOutAdds > 0) {
        --TimeOutAdds;
        return false;
      }
      break;
    case NIM_MODIFY:
      if (it == Entries.end()) return false;
      if (TimeOutModifies > 0) {
        --TimeOutModifies;
        return false;
      }
      Merge(it->second, *record);
      break;
    case NIM_DELETE:
      if (it == Entries.end()) return false;
      Entries.erase(it);
      break;
    case NIM_SETVERSION:
      if (it == Entries.end() || data.uVersion > NewestVersion) return false;
      it->second.uVersion = data.uVersion;
      break;
    case NIM_SETFOCUS:
      if (it == Entries.end()) return false;
      break;
    default:
      return false;
  }
  request.Accepted = true;
  return true;
}

const TNotifyIconData* TSimShell::Entry(HWnd window, std::uint32_t id) const {
  auto it = Entries.find({static_cast<std::uint32_t>(SimId(window)), id});
  return it == Entries.end() ? nullptr : &it->second;
}

std::string TSimShell::TipText(const TNotifyIconData& data) {
  return SimUtf8(std::u16string_view(data.szTip, std::size(data.szTip)));
}

std::string TSimShell::BalloonText(const TNotifyIconData& data) {
  return SimUtf8(std::u16string_view(data.szInfoTitle, std::size(data.szInfoTitle))) + "\n" +
         SimUtf8(std::u16string_view(data.szInfo, std::size(data.szInfo)));
}

// The system's small-icon size at a scale: 16 scaled and rounded (20, 24, 32 at 125, 150 and
// 200 %).
int TSimShell::NotifyIconSize() { return ScalesIcons ? (16 * TaskbarDpi + 48) / 96 : 16; }

void TSimShell::Restart(TSimWindowing& windows) {
  Entries.clear();
  if (Absent) return;
  constexpr HWnd kBroadcast{0xFFFF};
  std::uint32_t caller = std::exchange(windows.ProcessId, ProcessId);
  windows.PostMessage(kBroadcast, windows.RegisterWindowMessage("TaskbarCreated"), 0, 0);
  windows.ProcessId = caller;
}

bool TSimShell::PostPointerMessage(IWindowing& windows, HWnd window, std::uint32_t id,
                                   std::uint32_t pointerMessage) {
  const TNotifyIconData* entry = Entry(window, id);
  if (!entry || !(entry->uFlags & NIF_MESSAGE)) return false;
  bool posted = windows.PostMessage(window, entry->uCallbackMessage, id, pointerMessage);
  if (entry->uVersion >= NOTIFYICON_VERSION && pointerMessage == WM_LBUTTONUP)
    windows.PostMessage(window, entry->uCallbackMessage, id, NIN_SELECT);
  if (entry->uVersion >= NOTIFYICON_VERSION && pointerMessage == WM_RBUTTONUP)
    windows.PostMessage(window, entry->uCallbackMessage, id, WM_CONTEXTMENU);
  return posted;
}

bool TSimShell::PostPointerMessage(IWindowing& windows, std::uint32_t pointerMessage) {
  if (Entries.size() != 1) return false;
  const auto& [key, entry] = *Entries.begin();
  return PostPointerMessage(windows, SimHandle<HWnd>(key.first), key.second, pointerMessage);
}

bool TSimShell::SelectWithKeyboard(IWindowing& windows, bool enter) {
  if (Entries.size() != 1) return false;
  const auto& [key, entry] = *Entries.begin();
  HWnd window = SimHandle<HWnd>(key.first);
  if (entry.uVersion < NOTIFYICON_VERSION)
    return PostPointerMessage(windows, window, key.second, WM_RBUTTONDOWN) &&
           PostPointerMessage(windows, window, key.second, WM_RBUTTONUP);
  for (int i = enter ? 2 : 1; i > 0; --i)
    windows.PostMessage(window, entry.uCallbackMessage, key.second, NIN_KEYSELECT);
  return true;
}
