#pragma once
// Placement adjustments of the text in a text tray icon. A setter stores and tells its
// owner only when the value really changes.
#include "framework/Persistent.h"

class TOffsetOptions : public TPersistent {
 public:
  std::string ClassName() const override { return "TOffsetOptions"; }

  // Pixels added to the horizontal position of every line.
  int OffsetX() const { return FOffsetX; }
  void SetOffsetX(int value) { Set(FOffsetX, value); }
  // Pixels added to the vertical position of the text block.
  int OffsetY() const { return FOffsetY; }
  void SetOffsetY(int value) { Set(FOffsetY, value); }
  // Pixels added to the line height.
  int LineDistance() const { return FLineDistance; }
  void SetLineDistance(int value) { Set(FLineDistance, value); }

  TNotifyEvent OnChange;

 protected:
  virtual void DoChange() { OnChange(this); }

 private:
  void Set(int& field, int value) {
    if (field == value) return;
    field = value;
    DoChange();
  }

  int FOffsetX = 0;
  int FOffsetY = 0;
  int FLineDistance = 0;
};
