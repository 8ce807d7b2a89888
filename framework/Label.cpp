#include "framework/Label.h"

TLabel::TLabel(TComponent* owner, TPlatform* platform) : TWinControl(owner, platform) {}

TWindowParams TLabel::CreateParams() {
  TWindowParams params = TWinControl::CreateParams();
  params.Class = TWindowClass::Label;
  params.Proc = nullptr;
  return params;
}
