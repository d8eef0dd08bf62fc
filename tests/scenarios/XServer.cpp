#include "XServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

bool onPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

// Starts a helper program that ends with this process, even when the test
// program crashes, and holds none of its files open (a lock held by the
// caller must not outlive it). `passFd`, when given, becomes descriptor 3.
pid_t spawn(const std::vector<std::string>& args, int passFd = -1) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);
  const int quiet = open("/dev/null", O_WRONLY);
  dup2(quiet, 1);
  dup2(quiet, 2);
  if (passFd >= 0) {
    dup2(passFd, 3);
    close_range(4, ~0U, 0);
  } else {
    close_range(3, ~0U, 0);
  }
  execvp(argv[0], argv.data());
  _exit(127);
}

void terminate(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      pid = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

}  // namespace

XServer::XServer(int width, int height) : width_(width), height_(height) {
  if (!onPath("Xvfb")) {
    error_ = "Xvfb is not installed (scripts/install-deps.sh installs it)";
    return;
  }
  if (!onPath("openbox")) {
    error_ = "openbox is not installed (scripts/install-deps.sh installs it)";
    return;
  }
  if (!startServer() || !startWindowManager()) stop();
}

XServer::~XServer() { stop(); }

bool XServer::startServer() {
  // The server picks a free display and writes its number on the pipe.
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "cannot make a pipe";
    return false;
  }
  const std::string geometry = std::to_string(width_) + "x" + std::to_string(height_) + "x24";
  server_ = spawn({"Xvfb", "-displayfd", "3", "-screen", "0", geometry, "-nolisten", "tcp", "-noreset",
                   "+extension", "XTEST"},
                  fds[1]);
  close(fds[1]);
  if (server_ < 0) {
    close(fds[0]);
    error_ = "Xvfb could not be started";
    return false;
  }
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (poll(&p, 1, 200) <= 0) continue;
    char c;
    const ssize_t n = read(fds[0], &c, 1);
    if (n <= 0 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    error_ = "Xvfb did not report its display";
    return false;
  }
  display_ = ":" + number;
  setenv("DISPLAY", display_.c_str(), 1);
  return true;
}

bool XServer::windowManagerReady() const {
  Display* dpy = XOpenDisplay(display_.c_str());
  if (!dpy) return false;
  const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", True);
  bool ready = false;
  if (check != None) {
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, DefaultRootWindow(dpy), check, 0, 1, False, XA_WINDOW, &type, &format, &items,
                           &after, &data) == Success &&
        items == 1)
      ready = true;
    if (data) XFree(data);
  }
  XCloseDisplay(dpy);
  return ready;
}

bool XServer::startWindowManager() {
  windowManager_ = spawn({"openbox", "--sm-disable"});
  if (windowManager_ < 0) {
    error_ = "openbox could not be started";
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (windowManagerReady()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  error_ = "openbox did not take the screen";
  return false;
}

void XServer::stop() {
  terminate(windowManager_);
  terminate(server_);
}
