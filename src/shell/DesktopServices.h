#pragma once

#include <QUrl>
#include <functional>

namespace orba::shell {

// The user's desktop environment: a folder opens in the file manager, a web
// page in the browser, an e-mail address in the mail program. Every such
// request of the program goes through here, so that tests can record the
// address instead of starting another program.
class DesktopServices {
 public:
  using Opener = std::function<bool(const QUrl&)>;
  // False when no program could be started for the address.
  static bool openUrl(const QUrl& url);
  // Replaces the desktop's handling while set; an empty function restores it.
  static void setOpener(Opener opener);
};

}  // namespace orba::shell
