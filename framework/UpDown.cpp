#include "framework/UpDown.h"

#include <algorithm>

namespace {
constexpr std::uint32_t UDS_ARROWKEYS = 0x0020;
}

TUpDown::TUpDown(TComponent* owner, TPlatform* platform) : TWinControl(owner, platform) {
  FWidth = 12;
  FHeight = 24;
}

TWindowParams TUpDown::CreateParams() {
  return SystemControlParams(TWindowClass::UpDown, UDS_ARROWKEYS);
}

void TUpDown::HandleCreated() {
  IWindowing& windows = Platform().Windows;
  windows.SendMessage(Handle(), UDM_SETRANGE32, static_cast<std::uintptr_t>(FMin), FMax);
  windows.SendMessage(Handle(), UDM_SETPOS32, 0, FPosition);
}

void TUpDown::SetMin(std::int16_t value) {
  FMin = value;
  if (HandleAllocated()) HandleCreated();
}

void TUpDown::SetMax(std::int16_t value) {
  FMax = value;
  if (HandleAllocated()) HandleCreated();
}

void TUpDown::SetPosition(std::int16_t value) {
  FPosition = std::clamp(value, std::min(FMin, FMax), std::max(FMin, FMax));
  if (HandleAllocated()) Platform().Windows.SendMessage(Handle(), UDM_SETPOS32, 0, FPosition);
}

void TUpDown::ParentNotify(TMessage& message) {
  if (message.Msg != WM_VSCROLL || LoWord(message.WParam) != SB_THUMBPOSITION) return;
  auto position =
      static_cast<std::int16_t>(Platform().Windows.SendMessage(Handle(), UDM_GETPOS32, 0, 0));
  TUDBtnType button = position < FPosition ? TUDBtnType::btPrev : TUDBtnType::btNext;
  FPosition = position;
  OnClick(this, button);
}
