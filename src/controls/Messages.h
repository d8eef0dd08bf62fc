#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QMessageBox;
class QWidget;

namespace orba::controls {

// Every message box of the program goes through here, with the application
// title "Castellan/Orba" as its caption. (The title is not Qt's application
// display name: Qt would append that to every window title.) Tests install an interceptor that records the
// messages instead of showing modal boxes.
class Messages {
 public:
  enum class Kind { Plain, Information, Error };
  using Interceptor = std::function<void(Kind, const QString&)>;

  static const QString& title();

  static void show(const QString& text, QWidget* parent = nullptr);
  static void information(const QString& text, QWidget* parent = nullptr);
  static void error(const QString& text, QWidget* parent = nullptr);

  // Asks the user to choose one of `buttons` (texts in the user's
  // language; the first is the default, the last answers Escape). Returns
  // the chosen button's position, or -1 when the box was closed otherwise.
  static int choose(const QString& text, const QStringList& buttons, QWidget* parent = nullptr);

  // Replaces the boxes while set; an empty function restores them.
  static void setInterceptor(Interceptor interceptor);
  // Answers choose() instead of the user while set.
  using Chooser = std::function<int(const QString& text, const QStringList& buttons)>;
  static void setChooser(Chooser chooser);

  // Makes a message box wide enough for its whole title on the window
  // manager's title bar (a short message would otherwise cut it:
  // "Caste..."). Every box of the program goes through this.
  static void makeRoomForTitle(QMessageBox& box);

 private:
  static void post(Kind kind, const QString& text, QWidget* parent);
};

}  // namespace orba::controls
