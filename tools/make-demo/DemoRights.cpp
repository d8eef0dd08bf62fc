#include "DemoRights.h"

#include "RightsMap.h"

namespace orba::demo {

namespace {
void grant(std::string* bits, int bit) {
  (*bits)[static_cast<size_t>(bit / 8)] |= static_cast<char>(1u << (bit % 8));
}
}  // namespace

std::string allRights() {
  std::string bits(kRightsBytes, '\0');
  for (const dispatch::ModuleMenu& menu : dispatch::moduleMenus())
    for (int g = 0; g < 4; ++g)
      for (int i = 0; i < menu.groups[g].size(); ++i) grant(&bits, dispatch::rightsBit(menu.module, g, i));
  return bits;
}

std::string rightsFor(const std::vector<std::string_view>& codes, std::string* unknown) {
  std::string bits(kRightsBytes, '\0');
  for (std::string_view code : codes) {
    const dispatch::OptionPlace place =
        dispatch::findOption(QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size())));
    if (place.module < 0) {
      if (unknown->empty()) *unknown = std::string(code);
      continue;
    }
    grant(&bits, dispatch::rightsBit(place.module, place.group, place.item));
  }
  return bits;
}

}  // namespace orba::demo
