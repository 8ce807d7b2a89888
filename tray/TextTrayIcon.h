#pragma once
// The tray entry that shows text.
#include <string>

#include "tray/TrayIcon.h"

class TTextTrayIcon : public TTrayIcon {
 public:
  explicit TTextTrayIcon(TComponent* owner, TPlatform* platform = nullptr)
      : TTrayIcon(owner, platform) {}
  const std::string& Text() const { return FText; }
  void SetText(const std::string& value) { FText = value; }

 private:
  std::string FText;
};
