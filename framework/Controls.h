#pragma once
// Controls: visual components with a parent and bounds. Windowed controls (TWinControl) own
// a platform window; windowless ones are painted by their parent in its WM_PAINT and get
// their mouse input from it.
#include <cstdint>
#include <vector>

#include "framework/Component.h"

class TWinControl;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = std::uint32_t;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;
inline constexpr TShiftState ssDouble = 64;

struct TMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner, TPlatform* platform = nullptr);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
  void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
  void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
  void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  TRect ClientRect() const { return {0, 0, FWidth, FHeight}; }

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool value);
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);

  // Asks for a repaint of the control's area. The parent's background is erased under it
  // first unless the control is opaque.
  virtual void Invalidate();
  // An opaque control covers its whole area when it paints, so nothing is erased under it
  // and a repaint draws straight over the old picture, without a flash of the background.
  virtual bool Opaque() const { return false; }

  // A windowless control paints itself onto its parent's paint device context; `origin` is
  // its top-left corner in the parent's client coordinates.
  virtual void PaintWindowless(HDc dc, TPoint origin) {}
  virtual bool Windowless() const { return true; }

  // Pointer input, in the control's own coordinates.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y) {}
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y) {}
  virtual void Click() { OnClick(this); }

  TNotifyEvent OnClick;

 protected:
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;

 private:
  // Asks the parent to repaint the control's area, erasing the background under it or not.
  void InvalidateArea(bool erase);

  TWinControl* FParent = nullptr;
};

class TWinControl : public TControl, public IWindowProc {
 public:
  explicit TWinControl(TComponent* owner, TPlatform* platform = nullptr);
  ~TWinControl() override;

  bool HandleAllocated() const { return FHandle != HWnd::None; }
  // The window, created on first use (with the parent's first).
  HWnd Handle();
  const std::vector<TControl*>& Controls() const { return FControls; }

  void SetBounds(int left, int top, int width, int height) override;
  void SetVisible(bool value) override;
  void SetEnabled(bool value) override;
  void Invalidate() override;
  bool Windowless() const override { return false; }

  // The control's identifier in its parent, unique in the process.
  int Id() const { return FId; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);

  std::intptr_t WindowProc(HWnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) final;

  // A notification the system sent to the parent about this control (WM_COMMAND, WM_VSCROLL).
  virtual void ParentNotify(TMessage& message) {}

 protected:
  friend class TControl;
  virtual TWindowParams CreateParams();
  // The parameters of one of the system's own controls, with `style` added: it runs no
  // procedure of ours and reports to its parent (ParentNotify).
  TWindowParams SystemControlParams(TWindowClass windowClass, std::uint32_t style = 0);
  virtual void CreateHandle();
  // Called once the window exists, to hand the control's state to it.
  virtual void HandleCreated() {}
  void DestroyHandle();
  // Makes the windows of windowed children that were added after this window existed.
  void CreateChildHandles();
  virtual void WndProc(TMessage& message);
  void DefaultHandler(TMessage& message);

  std::string FCaption;

 private:
  void PaintHandler();
  void MouseHandler(TMessage& message);
  TControl* WindowlessAt(int x, int y) const;

  HWnd FHandle = HWnd::None;
  int FId;
  std::vector<TControl*> FControls;
  TControl* FMouseCapture = nullptr;
};
