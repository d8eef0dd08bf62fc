#include "UserSecurityManager.h"

#include "DataSource.h"
#include "MenuItem.h"
#include "RightsMap.h"
#include "Table.h"

namespace orba::dispatch {

TUserSecurityManager::TUserSecurityManager(const QString& name, QObject* parent) : QObject(parent) {
  setObjectName(name);
}

void TUserSecurityManager::setDataSource(data::DataSource* source) {
  source_ = source;
  follow();
}

void TUserSecurityManager::follow() {
  disconnect(scrolled_);
  disconnect(opened_);
  data::Table* table = source_ ? source_->dataset() : nullptr;
  if (!table) return;
  scrolled_ = connect(table, &data::Table::afterScroll, this, &TUserSecurityManager::ReadRights);
  opened_ = connect(table, &data::Table::afterClose, this, &TUserSecurityManager::ReadRights);
  ReadRights();
}

bool TUserSecurityManager::setBytesField(const QString& field) {
  data::Table* table = source_ ? source_->dataset() : nullptr;
  const data::TableSpec* shape = table ? table->declaration() : nullptr;
  if (shape) {
    for (const data::FieldSpec& f : shape->fields) {
      if (QString::fromUtf8(f.name.data(), static_cast<qsizetype>(f.name.size()))
              .compare(field, Qt::CaseInsensitive) != 0)
        continue;
      if (f.size < kRightsSize) {
        field_.clear();
        return false;
      }
    }
  }
  field_ = field;
  ReadRights();
  return true;
}

void TUserSecurityManager::ReadRights() {
  if (field_.isEmpty()) return;
  rights_ = QByteArray(kRightsSize, '\0');
  data::Table* table = source_ ? source_->dataset() : nullptr;
  // A stored field narrower than the rights cannot hold them: no rights.
  if (table && table->isActive() && table->fieldSize(field_) >= kRightsSize && table->recordCount() > 0) {
    // A value stored shorter (its trailing zero bytes dropped) is the same
    // rights; anything past 200 bytes is not part of them.
    const QByteArray stored = table->value(field_).toByteArray();
    rights_.replace(0, std::min<qsizetype>(stored.size(), kRightsSize), stored.left(kRightsSize));
  }
  emit dataChanged(this);
}

bool TUserSecurityManager::HasRight(std::uint8_t module, std::uint8_t group, std::uint8_t item) const {
  const int bit = rightsBit(module, group, item);
  const int byte = bit / 8;
  if (byte >= rights_.size()) return false;
  return (static_cast<std::uint8_t>(rights_[byte]) >> (bit % 8)) & 1;
}

void TUserSecurityManager::MarkTMenu(controls::MenuItem* item, int firstItem, std::uint8_t firstGroup,
                                     int lastItem, bool disableOnly) const {
  std::uint8_t group = firstGroup;
  for (int i = firstItem; i <= lastItem; ++i, ++group) {
    controls::MenuItem* submenu = item->item(i);
    if (!submenu) continue;
    for (int j = 0; j < submenu->count(); ++j) {
      const bool right =
          HasRight(static_cast<std::uint8_t>(item->tag()), group, static_cast<std::uint8_t>(j));
      if (disableOnly)
        submenu->item(j)->setEnabled(right);
      else
        submenu->item(j)->setVisible(right);
    }
  }
}

}  // namespace orba::dispatch
