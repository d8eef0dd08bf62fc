#include "XInput.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <vector>

namespace {
void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
}  // namespace

XInput::XInput() { display_ = XOpenDisplay(std::getenv("DISPLAY")); }

XInput::~XInput() {
  if (display_) XCloseDisplay(display_);
}

void XInput::flush() { XSync(display_, False); }

void XInput::move(int x, int y) {
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  flush();
  pause(30);
}

void XInput::press(int button) {
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
  flush();
}

void XInput::release(int button) {
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, CurrentTime);
  flush();
}

void XInput::click(int x, int y, int button) {
  if (x >= 0) move(x, y);
  press(button);
  pause(40);
  release(button);
  pause(60);
}

void XInput::doubleClick(int x, int y) {
  move(x, y);
  press(1);
  release(1);
  pause(40);
  press(1);
  release(1);
  pause(60);
}

void XInput::keysym(unsigned long sym, bool down) {
  const KeyCode code = XKeysymToKeycode(display_, sym);
  if (code == 0) return;
  XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
  flush();
}

void XInput::key(const std::string& combination) {
  std::vector<std::string> parts;
  std::stringstream in(combination);
  for (std::string part; std::getline(in, part, '+');) parts.push_back(part);
  if (parts.empty()) return;
  std::vector<unsigned long> modifiers;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    const std::string& m = parts[i];
    modifiers.push_back(m == "ctrl"    ? XK_Control_L
                        : m == "alt"   ? XK_Alt_L
                        : m == "shift" ? XK_Shift_L
                                       : XK_Super_L);
  }
  const KeySym main = XStringToKeysym(parts.back().c_str());
  if (main == NoSymbol) return;
  for (unsigned long m : modifiers) keysym(m, true);
  keysym(main, true);
  pause(20);
  keysym(main, false);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) keysym(*it, false);
  pause(50);
}

void XInput::type(const std::string& text) {
  for (char c : text) {
    const KeySym sym = static_cast<unsigned char>(c);  // Latin-1 keysyms equal their codes
    const KeyCode code = XKeysymToKeycode(display_, sym);
    if (code == 0) continue;
    // A character on the key's second level needs shift.
    const bool shifted = XkbKeycodeToKeysym(display_, code, 0, 0) != sym;
    if (shifted) keysym(XK_Shift_L, true);
    keysym(sym, true);
    keysym(sym, false);
    if (shifted) keysym(XK_Shift_L, false);
    pause(15);
  }
  pause(40);
}
