#include "MessageList.h"

namespace orba::controls {

MessageList::MessageList(const QString& name, QStringList lines, QObject* parent)
    : QObject(parent), lines_(std::move(lines)) {
  setObjectName(name);
}

QString MessageList::line(int index) const {
  return index >= 0 && index < lines_.size() ? lines_[index] : QString();
}

}  // namespace orba::controls
