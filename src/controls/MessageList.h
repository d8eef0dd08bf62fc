#pragma once

#include <QObject>
#include <QStringList>

namespace orba::controls {

// A window's hidden list of messages in the current language: translation
// replaces the lines, and code shows a message by its line number.
class MessageList : public QObject {
  Q_OBJECT
 public:
  explicit MessageList(const QString& name, QStringList lines = {}, QObject* parent = nullptr);

  QStringList lines() const { return lines_; }
  void setLines(const QStringList& lines) { lines_ = lines; }
  // The line, or empty text past the end.
  QString line(int index) const;
  int count() const { return static_cast<int>(lines_.size()); }

 private:
  QStringList lines_;
};

}  // namespace orba::controls
