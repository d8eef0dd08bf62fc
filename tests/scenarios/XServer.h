#pragma once

#include <sys/types.h>

#include <string>

// A virtual X server (Xvfb) with a window manager (openbox) for the run of
// one test program: the desktop then meets what a real screen does to it
// (focus, stacking, pop-ups, the window manager's placement), and input comes
// through the X server itself.
class XServer {
 public:
  // Starts both; `error()` says why when they could not be started (a
  // missing program is reported, not thrown).
  XServer(int width, int height);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  bool running() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  // ":N", also put into DISPLAY.
  const std::string& display() const { return display_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  bool startServer();
  bool startWindowManager();
  bool windowManagerReady() const;
  void stop();

  int width_;
  int height_;
  pid_t server_ = -1;
  pid_t windowManager_ = -1;
  std::string display_;
  std::string error_;
};
