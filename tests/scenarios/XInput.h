#pragma once

#include <string>

typedef struct _XDisplay Display;

// Input as a user gives it: pointer moves, clicks and keys sent through the
// X server's XTEST extension, so that they reach the program the way real
// devices' do (the window manager, grabs of open pop-ups and focus apply).
// One connection of its own; use it from one thread.
class XInput {
 public:
  XInput();
  ~XInput();
  XInput(const XInput&) = delete;
  XInput& operator=(const XInput&) = delete;

  bool ok() const { return display_ != nullptr; }

  void move(int x, int y);
  // Button 1 left, 2 middle, 3 right; at the pointer's place when x < 0.
  void click(int x, int y, int button = 1);
  void doubleClick(int x, int y);
  void press(int button);
  void release(int button);
  // A key with modifiers, written as "ctrl+shift+F10", "alt+c", "Return",
  // "Menu", "Escape", "Tab", "Down" (X key names, modifiers ctrl, alt, shift).
  void key(const std::string& combination);
  // Types printable ASCII text, with shift where a character needs it.
  void type(const std::string& text);

 private:
  void keysym(unsigned long sym, bool down);
  void flush();

  Display* display_ = nullptr;
};
