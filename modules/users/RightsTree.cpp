#include "RightsTree.h"

#include <QHeaderView>

#include "DatabaseError.h"
#include "RightsMap.h"
#include "SetCaptions.h"
#include "Table.h"

namespace orba::users {

namespace {

constexpr int kBitRole = Qt::UserRole;

// The captions of the desktop's main menu in one language.
class MenuCaptions {
 public:
  explicit MenuCaptions(const QString& languageTable) : table_(QString::fromUtf8("LanguageTable")) {
    table_.setDatabaseName(localization::languageDirectory());
    table_.setTableName(localization::languageTableName(languageTable));
    table_.setReadOnly(true);
    try {
      table_.open();
    } catch (const data::DatabaseError&) {
      // Without the language table the design texts are shown.
    }
  }
  ~MenuCaptions() { table_.close(); }

  QString operator()(const QString& component, const QString& fallback) {
    if (!table_.isActive() || !table_.findKey({QString::fromUtf8("LogoAppForm"), component})) return fallback;
    QString caption = table_.text(QString::fromUtf8("Caption"));
    caption.remove(QLatin1Char('&'));
    return caption.isEmpty() ? fallback : caption;
  }

 private:
  data::Table table_;
};

bool testBit(const QByteArray& bytes, int bit) {
  return bit / 8 < bytes.size() && (static_cast<unsigned char>(bytes[bit / 8]) >> (bit % 8)) & 1;
}

}  // namespace

RightsTree::RightsTree(const QString& languageTable, QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(2);
  setHeaderHidden(true);
  setUniformRowHeights(true);
  MenuCaptions captions(languageTable);
  for (const dispatch::ModuleMenu& menu : dispatch::moduleMenus()) {
    QString moduleCaption = menu.designCaption;
    auto* module = new QTreeWidgetItem(this, {captions(menu.name, moduleCaption.remove(QLatin1Char('&')))});
    module->setFlags(module->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
    for (int g = 0; g < 4; ++g) {
      const QStringList& codes = menu.groups[static_cast<std::size_t>(g)];
      if (codes.isEmpty()) continue;  // an empty group still has its number
      auto* group = new QTreeWidgetItem(module, {captions(menu.groupNames[static_cast<std::size_t>(g)],
                                                          menu.groupCaptions[static_cast<std::size_t>(g)])});
      group->setFlags(group->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
      for (int i = 0; i < codes.size(); ++i) {
        auto* item = new QTreeWidgetItem(group, {captions(codes[i], codes[i]), codes[i]});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setData(0, kBitRole, dispatch::rightsBit(menu.module, g, i));
        item->setCheckState(0, Qt::Unchecked);
      }
    }
  }
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::Stretch);
  header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
}

namespace {
template <typename F>
void forEachOption(const QTreeWidget& tree, F f) {
  for (int m = 0; m < tree.topLevelItemCount(); ++m) {
    QTreeWidgetItem* module = tree.topLevelItem(m);
    for (int g = 0; g < module->childCount(); ++g)
      for (int i = 0; i < module->child(g)->childCount(); ++i) f(module->child(g)->child(i));
  }
}
}  // namespace

void RightsTree::setRights(const QByteArray& rights) {
  forEachOption(*this, [&](QTreeWidgetItem* item) {
    item->setCheckState(0, testBit(rights, item->data(0, kBitRole).toInt()) ? Qt::Checked : Qt::Unchecked);
  });
}

QByteArray RightsTree::rights(const QByteArray& base) const {
  QByteArray bytes = base;
  if (bytes.size() < 200) bytes.append(200 - bytes.size(), '\0');
  forEachOption(*this, [&](QTreeWidgetItem* item) {
    const int bit = item->data(0, kBitRole).toInt();
    const auto mask = static_cast<char>(1 << (bit % 8));
    if (item->checkState(0) == Qt::Checked)
      bytes[bit / 8] = static_cast<char>(bytes[bit / 8] | mask);
    else
      bytes[bit / 8] = static_cast<char>(bytes[bit / 8] & ~mask);
  });
  return bytes;
}

void RightsTree::setAll(bool granted) {
  forEachOption(
      *this, [&](QTreeWidgetItem* item) { item->setCheckState(0, granted ? Qt::Checked : Qt::Unchecked); });
}

QTreeWidgetItem* RightsTree::option(const QString& code) const {
  QTreeWidgetItem* found = nullptr;
  forEachOption(*this, [&](QTreeWidgetItem* item) {
    if (item->text(1) == code) found = item;
  });
  return found;
}

}  // namespace orba::users
