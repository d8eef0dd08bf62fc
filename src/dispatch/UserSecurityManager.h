#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <cstdint>

#include "DataSource.h"

namespace orba::controls {
class MenuItem;
}

namespace orba::dispatch {

// The rights of the user whose record is current in the users table: 200
// bytes, one bit per menu option, bit n being bit n % 8 of byte n / 8. The
// option at item I of group G of module M has bit M * 105 + G * 15 + I.
//
// The manager follows the users table through its data source: whenever the
// current record changes, the rights are read again from the bytes field.
// A null field (a user who never had rights saved) grants nothing.
class TUserSecurityManager : public QObject {
  Q_OBJECT
 public:
  static constexpr int kRightsSize = 200;

  explicit TUserSecurityManager(const QString& name, QObject* parent = nullptr);

  data::DataSource* dataSource() const { return source_; }
  void setDataSource(data::DataSource* source);
  QString bytesField() const { return field_; }
  // A field narrower than 200 bytes is refused: the manager then has no field
  // and reads nothing.
  bool setBytesField(const QString& field);

  bool HasRight(std::uint8_t module, std::uint8_t group, std::uint8_t item) const;

  // For i from firstItem to lastItem, child i of `item` is one group
  // (numbered from firstGroup): every option j in it is enabled (or, when
  // disableOnly is false, shown) by the right of (item's Tag, group, j).
  void MarkTMenu(controls::MenuItem* item, int firstItem, std::uint8_t firstGroup, int lastItem,
                 bool disableOnly) const;

  void ReadRights();
  const QByteArray& rights() const { return rights_; }

 signals:
  // The rights were read again.
  void dataChanged(orba::dispatch::TUserSecurityManager* manager);

 private:
  void follow();

  QPointer<data::DataSource> source_;
  QString field_;
  QByteArray rights_ = QByteArray(kRightsSize, '\0');
  QMetaObject::Connection scrolled_;
  QMetaObject::Connection opened_;
};

}  // namespace orba::dispatch
