#pragma once

#include <QStringList>

namespace orba::controls {
class MenuItem;
}

namespace orba::dispatch {

// The options a user sees and may run, as two parallel lists: line k of
// `names` is an option's caption with its module's suffix, line k of `codes`
// its code, or an empty line when the user sees the option but may not run
// it. Hidden options are in neither list.
class OptionCatalogue {
 public:
  virtual ~OptionCatalogue() = default;
  virtual QStringList names() const = 0;
  virtual QStringList codes() const = 0;
  virtual void clear() = 0;
  virtual void append(const QString& name, const QString& code) = 0;

  // True when `code` is one of the codes the user may run. Whole lines only:
  // the right to "ar091" is no right to "ar09".
  bool allows(const QString& code) const;
};

// Appends to the catalogue the visible options of the submenus firstItem to
// lastItem of a module menu, each caption followed by `suffix`; with
// withRights, a disabled option gets an empty code line.
void GetMenuInfo(OptionCatalogue& catalogue, controls::MenuItem* top, int firstItem, int lastItem,
                 bool withRights, const QString& suffix);

}  // namespace orba::dispatch
