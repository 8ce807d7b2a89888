#pragma once
#include "platform/Shell.h"

class TWin32Shell : public IShell {
 public:
  bool NotifyIcon(std::uint32_t message, const TNotifyIconData& data) override;
  TFileVersion ComCtlVersion() override;
  int NotifyIconSize() override;
  bool HidesNewEntries() override;
};
