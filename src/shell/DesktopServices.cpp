#include "DesktopServices.h"

#include <QDesktopServices>

namespace orba::shell {

namespace {
DesktopServices::Opener& opener() {
  static DesktopServices::Opener instance;
  return instance;
}
}  // namespace

bool DesktopServices::openUrl(const QUrl& url) {
  if (opener()) return opener()(url);
  return QDesktopServices::openUrl(url);
}

void DesktopServices::setOpener(Opener opener_) { opener() = std::move(opener_); }

}  // namespace orba::shell
