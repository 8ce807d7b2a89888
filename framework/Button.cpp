#include "framework/Button.h"

TButton::TButton(TComponent* owner, TPlatform* platform) : TWinControl(owner, platform) {
  FWidth = 75;
  FHeight = 25;
}

TWindowParams TButton::CreateParams() {
  return SystemControlParams(TWindowClass::Button, WS_TABSTOP | (FDefault ? BS_DEFPUSHBUTTON : 0));
}

void TButton::ParentNotify(TMessage& message) {
  if (message.Msg == WM_COMMAND && HiWord(message.WParam) == BN_CLICKED) Click();
}
