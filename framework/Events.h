#pragma once
// Events: a handler bound to an object, called with the sender and the event's arguments.
// An unset event does nothing. Events copy, so a component can chain itself in front of a
// handler that was set before it.
#include <functional>
#include <utility>

class TObject {
 public:
  virtual ~TObject() = default;
};

template <class... Args>
class TEvent {
 public:
  using THandler = std::function<void(TObject* sender, Args...)>;

  TEvent() = default;
  TEvent(THandler handler) : FHandler(std::move(handler)) {}
  // Binds a method of an object: OnClick = {this, &TForm1::Button1Click}.
  template <class T>
  TEvent(T* object, void (T::*method)(TObject*, Args...))
      : FHandler(Bound(object, static_cast<TMethod>(method))) {}

  explicit operator bool() const { return static_cast<bool>(FHandler); }
  void operator()(TObject* sender, Args... args) const {
    if (FHandler) FHandler(sender, args...);
  }

 private:
  // Every class's methods are called as methods of TObject, which each derives from: one
  // kind of handler serves them all.
  using TMethod = void (TObject::*)(TObject*, Args...);
  static THandler Bound(TObject* object, TMethod method) {
    return [object, method](TObject* sender, Args... args) { (object->*method)(sender, args...); };
  }

  THandler FHandler;
};

using TNotifyEvent = TEvent<>;
using TCloseQueryEvent = TEvent<bool&>;
