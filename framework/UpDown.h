#pragma once
// The up-down control: a pair of arrows holding a 16-bit position within Min..Max.
#include <cstdint>

#include "framework/Controls.h"

enum class TUDBtnType { btNext, btPrev };
using TUDClickEvent = TEvent<TUDBtnType>;

class TUpDown : public TWinControl {
 public:
  explicit TUpDown(TComponent* owner, TPlatform* platform = nullptr);

  std::int16_t Min() const { return FMin; }
  std::int16_t Max() const { return FMax; }
  void SetMin(std::int16_t value);
  void SetMax(std::int16_t value);
  // The control holds a position within Min..Max: one outside is clamped to the nearer end.
  std::int16_t Position() const { return FPosition; }
  void SetPosition(std::int16_t value);

  // Raised after the user pressed an arrow.
  TUDClickEvent OnClick;

  void ParentNotify(TMessage& message) override;

 protected:
  TWindowParams CreateParams() override;
  void HandleCreated() override;

 private:
  std::int16_t FMin = 0;
  std::int16_t FMax = 100;
  std::int16_t FPosition = 0;
};
