#pragma once

#include <QString>
#include <vector>

#include "Applications.h"

namespace orba::tools {

using dispatch::Application;

// A change of the Tools menu that its rules do not allow. The reason is also
// the line of the Tools window's messages that explains it; `subject` fills
// its %1.
class ToolRefused {
 public:
  enum Reason {
    MissingProgram = 0,
    BadModuleName = 1,
    DuplicateProgram = 2,
    MissingName = 3,
    MissingNameFr = 4,
    LastMaintenance = 5,
    Changed = 8,
  };
  ToolRefused(Reason reason, QString subject = {}) : reason(reason), subject(std::move(subject)) {}
  Reason reason;
  QString subject;
};

// The entries of the Tools menu in apps.DB, in menu order. Each change is
// checked against the table as it is on disk, under the table's lock, and
// stored in one transaction. A change names the row it touches by its
// position and its contents as they were shown: a row that changed on
// another workstation meanwhile is refused (ToolRefused::Changed) rather
// than overwritten. Storage failures throw data::DatabaseError.
class ToolStore {
 public:
  explicit ToolStore(QString dataDir) : dataDir_(std::move(dataDir)) {}

  // The rows; a missing table is created with its seed row, as the desktop
  // does.
  std::vector<Application> tools();

  void add(const Application& tool);
  void update(int index, const Application& shown, const Application& tool);
  // Swaps row `index` with row `to`.
  void move(int index, const Application& shown, int to);
  void remove(int index, const Application& shown);

 private:
  QString dataDir_;
};

bool sameTool(const Application& a, const Application& b);

}  // namespace orba::tools
