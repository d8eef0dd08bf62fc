#pragma once

#include <QObject>
#include <QPointer>

#include "Table.h"

namespace orba::data {

// Connects visual controls and components to a table by name.
class DataSource : public QObject {
  Q_OBJECT
 public:
  DataSource(const QString& componentName, Table* dataset, QObject* parent = nullptr)
      : QObject(parent), dataset_(dataset) {
    setObjectName(componentName);
  }
  Table* dataset() const { return dataset_; }

 private:
  QPointer<Table> dataset_;
};

}  // namespace orba::data
