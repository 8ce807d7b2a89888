#pragma once
// The standard controls the window uses: label, push button and group box.
#include "framework/Controls.h"

class TLabel : public TWinControl {
 public:
  explicit TLabel(TComponent* owner, TPlatform* platform = nullptr);

 protected:
  TWindowParams CreateParams() override;
};

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

// A frame with a caption that parents other controls.
class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner, TPlatform* platform = nullptr);

 protected:
  TWindowParams CreateParams() override;
};
