#pragma once
// The tray entry that shows text (the shell side arrives with the tray).
#include <string>

#include "framework/Component.h"

class TTextTrayIcon : public TComponent {
 public:
  explicit TTextTrayIcon(TComponent* owner, TPlatform* platform = nullptr)
      : TComponent(owner, platform) {}
  const std::string& Text() const { return FText; }
  void SetText(const std::string& value) { FText = value; }

  TNotifyEvent OnClick;

 private:
  std::string FText;
};
