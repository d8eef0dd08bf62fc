#pragma once

#include <QGroupBox>
#include <vector>

class QRadioButton;

namespace orba::controls {

// A group box of radio buttons that knows its items in order: translation
// gives item i the row's line i.
class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  explicit RadioGroup(const QString& name, QWidget* parent = nullptr);

  QRadioButton* addItem(const QString& text);
  const std::vector<QRadioButton*>& items() const { return items_; }
  // The checked item's position, -1 when none is.
  int itemIndex() const;
  void setItemIndex(int index);

 private:
  std::vector<QRadioButton*> items_;
};

}  // namespace orba::controls
