#pragma once
// The push button: the system's own control, which reports its clicks to the parent.
#include "framework/Controls.h"

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner, TPlatform* platform = nullptr);

  // The default button is pressed by Enter anywhere in its window.
  bool Default() const { return FDefault; }
  void SetDefault(bool value) { FDefault = value; }
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int value) { FTabOrder = value; }

  void ParentNotify(TMessage& message) override;

 protected:
  TWindowParams CreateParams() override;

 private:
  bool FDefault = false;
  int FTabOrder = 0;
};
