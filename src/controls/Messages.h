#pragma once

#include <QString>
#include <functional>

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

  // Replaces the boxes while set; an empty function restores them.
  static void setInterceptor(Interceptor interceptor);

 private:
  static void post(Kind kind, const QString& text, QWidget* parent);
};

}  // namespace orba::controls
