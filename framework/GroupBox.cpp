#include "framework/GroupBox.h"

TGroupBox::TGroupBox(TComponent* owner, TPlatform* platform) : TWinControl(owner, platform) {}

TWindowParams TGroupBox::CreateParams() {
  TWindowParams params = TWinControl::CreateParams();
  params.Class = TWindowClass::Panel;
  params.Style |= WS_CLIPCHILDREN;
  params.ExStyle |= WS_EX_CONTROLPARENT;
  return params;
}
