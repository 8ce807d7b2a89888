#include "platform/sim/SimShell.h"

#include <cstring>

namespace {
// Record sizes the system accepts: the first layout, the one with the 128-byte tip and the
// balloon fields, and the later ones with a GUID and a balloon icon.
bool KnownSize(std::uint32_t size) {
  return size == 88 || size == NotifyIconDataSize || size == 504 || size == 508;
}

// The fields a change request carries, by its flags.
void Merge(TNotifyIconData& entry, const TNotifyIconData& data) {
  if (data.uFlags & NIF_MESSAGE) entry.uCallbackMessage = data.uCallbackMessage;
  if (data.uFlags & NIF_ICON) entry.hIcon = data.hIcon;
  if (data.uFlags & NIF_TIP) std::memcpy(entry.szTip, data.szTip, sizeof entry.szTip);
  entry.uFlags |= data.uFlags;
}
}  // namespace

bool TSimShell::NotifyIcon(std::uint32_t message, const TNotifyIconData& data) {
  TRequest scratch;
  TRequest& request = Logging ? Requests.emplace_back() : scratch;
  request.Message = message;
  request.Data = data;
  if (Absent || Refusing || !KnownSize(data.cbSize)) return false;
  auto key = std::make_pair(data.hWnd, data.uID);
  auto it = Entries.find(key);
  switch (message) {
    case NIM_ADD:
      if (it != Entries.end()) return false;
      if (RefuseAdds > 0) {
        --RefuseAdds;
        return false;
      }
      Entries[key] = data;
      break;
    case NIM_MODIFY:
      if (it == Entries.end()) return false;
      if (TimeOutModifies > 0) {
        --TimeOutModifies;
        return false;
      }
      Merge(it->second, data);
      break;
    case NIM_DELETE:
      if (it == Entries.end()) return false;
      Entries.erase(it);
      break;
    case NIM_SETVERSION:
      if (it == Entries.end()) return false;
      it->second.uVersion = data.uVersion;
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

void TSimShell::Restart(IWindowing& windows) {
  Entries.clear();
  if (Absent) return;
  constexpr HWnd kBroadcast{0xFFFF};
  windows.PostMessage(kBroadcast, windows.RegisterWindowMessage("TaskbarCreated"), 0, 0);
}

bool TSimShell::PostPointerMessage(IWindowing& windows, HWnd window, std::uint32_t id,
                                   std::uint32_t pointerMessage) {
  const TNotifyIconData* entry = Entry(window, id);
  if (!entry || !(entry->uFlags & NIF_MESSAGE)) return false;
  return windows.PostMessage(window, entry->uCallbackMessage, id, pointerMessage);
}

bool TSimShell::PostPointerMessage(IWindowing& windows, std::uint32_t pointerMessage) {
  if (Entries.size() != 1) return false;
  const auto& [key, entry] = *Entries.begin();
  return PostPointerMessage(windows, SimHandle<HWnd>(key.first), key.second, pointerMessage);
}
