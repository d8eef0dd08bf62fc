#include "RadioGroup.h"

#include <QRadioButton>
#include <QVBoxLayout>

namespace orba::controls {

RadioGroup::RadioGroup(const QString& name, QWidget* parent) : QGroupBox(parent) {
  setObjectName(name);
  new QVBoxLayout(this);
}

QRadioButton* RadioGroup::addItem(const QString& text) {
  auto* item = new QRadioButton(text, this);
  layout()->addWidget(item);
  items_.push_back(item);
  return item;
}

int RadioGroup::itemIndex() const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->isChecked()) return static_cast<int>(i);
  return -1;
}

void RadioGroup::setItemIndex(int index) {
  if (index >= 0 && index < static_cast<int>(items_.size()))
    items_[static_cast<std::size_t>(index)]->setChecked(true);
}

}  // namespace orba::controls
