#include "framework/Label.h"

TLabel::TLabel(TComponent* owner, TPlatform* platform) : TWinControl(owner, platform) {}

TWindowParams TLabel::CreateParams() { return SystemControlParams(TWindowClass::Label); }
