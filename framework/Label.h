#pragma once
// Static text on its parent: the system's own control.
#include "framework/Controls.h"

class TLabel : public TWinControl {
 public:
  explicit TLabel(TComponent* owner, TPlatform* platform = nullptr);

 protected:
  TWindowParams CreateParams() override;
};
