// The demo users' first desktop rows: each user has the standard desktop's
// six list icons stored, as a saved desktop holds them.

#include "DemoTables.h"
#include "StandardIcons.h"

namespace orba::demo {

std::vector<Row> desktopRows(const TableShape& shape) {
  std::vector<Row> rows;
  for (const DemoUser& user : demoUsers()) {
    for (int i = 0; i < desktop::kStandardIconCount; ++i) {
      rows.emplace_back(shape)
          .text("Desktop_user", std::string(user.code))
          .integer("Desktop_Component_type", 1)
          // The position among the window's components when saved; the
          // restore does not read it, and the icons come in this order.
          .integer("Desktop_ComponentIndex", i)
          .set("Desktop_Component",
               pdx::Value::Blob(desktop::standardIconStream(i, user.language == kFrench)));
    }
  }
  return rows;
}

}  // namespace orba::demo
