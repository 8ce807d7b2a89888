#pragma once
// A frame with a caption that parents other controls.
#include "framework/Controls.h"

class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner, TPlatform* platform = nullptr);

 protected:
  TWindowParams CreateParams() override;
};
