// The start-up progress dialog: a small frameless window with a caption and
// a progress bar, shown while the desktop creates its windows.
//
// The host must already have a QApplication; without one the routines
// refuse (return 0) rather than create a second application object.

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdint>

#include "castellan/linku.h"

namespace {

constexpr int kSteps = 3;

const char* const kCaptions[] = {
    "Starting Castellan/Orba...",
    "Preparing your desktop...",
};

class LoadingWindow : public QWidget {
 public:
  LoadingWindow() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QString::fromLatin1("LoadingDialog"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setStyleSheet(
        QString::fromLatin1("QWidget#LoadingDialog { background: #1f3a5f; }"
                            "QLabel { color: white; font-size: 13pt; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    caption = new QLabel(this);
    bar = new QProgressBar(this);
    bar->setRange(0, kSteps);
    bar->setValue(0);
    bar->setTextVisible(false);
    layout->addWidget(caption);
    layout->addWidget(bar);
    resize(360, 110);
    if (QScreen* screen = QGuiApplication::primaryScreen())
      move(screen->availableGeometry().center() - rect().center());
  }
  QLabel* caption;
  QProgressBar* bar;
};

LoadingWindow* g_window = nullptr;

void repaint() {
  if (g_window) {
    g_window->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

}  // namespace

ORBA_MODULE_EXPORT std::int32_t loading_Dialog_open() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
  if (!g_window) g_window = new LoadingWindow;
  g_window->show();
  repaint();
  return 1;
}

ORBA_MODULE_EXPORT std::int32_t loading_Dialog_caption(std::int32_t number) {
  if (!g_window || number < 0 || number >= static_cast<std::int32_t>(std::size(kCaptions))) return 0;
  g_window->caption->setText(QString::fromUtf8(kCaptions[number]));
  repaint();
  return 1;
}

ORBA_MODULE_EXPORT std::int32_t loading_Dialog_step() {
  if (!g_window) return 0;
  g_window->bar->setValue(std::min(g_window->bar->value() + 1, kSteps));
  repaint();
  return 1;
}

ORBA_MODULE_EXPORT std::int32_t loading_Dialog_close() {
  if (!g_window) return 0;
  // The library is unloaded right after this call: nothing of it may stay
  // behind in the event queue, so delete at once rather than later.
  delete g_window;
  g_window = nullptr;
  return 1;
}
