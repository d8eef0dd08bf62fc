#pragma once

#include <QObject>

namespace orba::controls {

// The texts of a printed report that translation sets: a label's caption and
// a system-data field's text (page number, date...). Reports read them when
// they print.
class ReportLabel : public QObject {
  Q_OBJECT
 public:
  explicit ReportLabel(const QString& name, const QString& caption = {}, QObject* parent = nullptr)
      : QObject(parent), caption_(caption) {
    setObjectName(name);
  }
  QString caption() const { return caption_; }
  void setCaption(const QString& caption) { caption_ = caption; }

 private:
  QString caption_;
};

class ReportSysData : public QObject {
  Q_OBJECT
 public:
  explicit ReportSysData(const QString& name, const QString& text = {}, QObject* parent = nullptr)
      : QObject(parent), text_(text) {
    setObjectName(name);
  }
  QString text() const { return text_; }
  void setText(const QString& text) { text_ = text; }

 private:
  QString text_;
};

}  // namespace orba::controls
