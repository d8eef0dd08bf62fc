// The grid's published properties, in the order its rows carry them; the
// columns as a collection, so that the widths a user set come back.

#include "CommonProperties.h"
#include "ComponentStreams.h"
#include "DBGrid.h"

namespace orba::desktop {

namespace {

using G = TTamberlyDBGrid;
using Column = data::TableModel::Column;
namespace p = properties;

const std::vector<std::string> kAligns = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
const std::vector<std::string> kOptions = {
    "dgEditing",       "dgAlwaysShowEditor", "dgTitles",     "dgIndicator", "dgColumnResize",
    "dgColLines",      "dgRowLines",         "dgTabs",       "dgRowSelect", "dgAlwaysShowSelection",
    "dgConfirmDelete", "dgCancelOnExit",     "dgMultiSelect"};
// The toolkit grid's own default set; the desktop's grids differ from it.
const std::vector<std::string> kDefaultOptions = {"dgEditing",      "dgTitles",        "dgIndicator",
                                                  "dgColumnResize", "dgColLines",      "dgRowLines",
                                                  "dgTabs",         "dgConfirmDelete", "dgCancelOnExit"};

// One column as a collection item: each entry where it differs from the
// column's default.
stream::CollectionItem columnItem(const Column& c) {
  stream::CollectionItem item;
  if (!c.expanded) item.properties.push_back({"Expanded", stream::Value::Boolean(false), 0});
  bool lossless = true;
  if (!c.fieldName.isEmpty()) item.properties.push_back({"FieldName", textValue(c.fieldName, &lossless), 0});
  if (!c.title.isEmpty()) item.properties.push_back({"Title.Caption", textValue(c.title, &lossless), 0});
  if (!lossless)
    throw StreamError(
        "TTamberlyDBGrid", "Columns", 0,
        "the column '" + c.title.toStdString() + "' holds characters that Windows-1252 cannot store");
  item.properties.push_back({"Width", stream::Value::Integer(c.width), 0});
  if (!c.visible) item.properties.push_back({"Visible", stream::Value::Boolean(false), 0});
  return item;
}

bool applyColumn(const stream::CollectionItem& item, Column* c, std::string* why) {
  for (const stream::Property& entry : item.properties) {
    if (entry.name == "Expanded" || entry.name == "Visible") {
      const auto b = booleanFrom(entry.value);
      if (!b) return *why = "Columns." + entry.name + ": a value of the wrong type", false;
      (entry.name == "Expanded" ? c->expanded : c->visible) = *b;
    } else if (entry.name == "FieldName" || entry.name == "Title.Caption") {
      const auto t = textFrom(entry.value);
      if (!t) return *why = "Columns." + entry.name + ": a value of the wrong type", false;
      (entry.name == "FieldName" ? c->fieldName : c->title) = *t;
    } else if (entry.name == "Width") {
      const auto i = integerFrom(entry.value);
      if (!i) return *why = "Columns.Width: a value of the wrong type", false;
      c->width = static_cast<int>(*i);
    } else {
      *why = "Columns." + entry.name + ": a column has no such property";
      return false;
    }
  }
  return true;
}

std::vector<PropertyTable<G>::Property> declaredProperties() {
  std::vector<PropertyTable<G>::Property> t =
      p::tagAndGeometry<G>([](const G& o) { return o.tag; }, [](G& o, int v) { o.tag = v; });
  t.push_back(p::enumeration<G, TAlign>(
      "Align", kAligns, [](const G& o) { return o.align; }, [](G& o, TAlign a) { o.align = a; },
      TAlign::alNone));
  auto ctl3D = p::boolean<G>(
      "Ctl3D", [](const G& o) { return o.ctl3D; }, [](G& o, bool v) { o.ctl3D = v; });
  ctl3D.stored = [](const G& o) { return !o.parentCtl3D; };
  t.push_back(ctl3D);
  t.push_back(p::reference<G>("DataSource", &G::dataSourceName, &G::setDataSourceName));
  t.push_back(p::color<G>("FixedColor", &G::fixedColor, &G::setFixedColor, clBtnFace));
  for (auto& f : p::font<G>(
           "Font", [](const G&o) { return o.streamFont(); },
           [](G&o, const StreamFont&f) { o.setStreamFont(f); }, [](const G&o) { return !o.parentFont(); }))
    t.push_back(f);
  {
    PropertyTable<G>::Property options;
    options.name = "Options";
    options.get = [](const G& o) { return stream::Value::Set(o.options()); };
    options.set = [](G& o, const stream::Value& v, std::string* why) {
      const auto names = setFrom(v);
      if (!names) return false;
      for (const std::string& n : *names)
        if (std::find(kOptions.begin(), kOptions.end(), n) == kOptions.end())
          return *why = "'" + n + "' is not a grid option", false;
      o.setOptions(*names);
      return true;
    };
    options.declaredDefault = stream::Value::Set(kDefaultOptions);
    t.push_back(options);
  }
  t.push_back(p::boolean<G>(
      "ParentCtl3D", [](const G& o) { return o.parentCtl3D; }, [](G& o, bool v) { o.parentCtl3D = v; },
      true));
  t.push_back(p::boolean<G>("ParentFont", &G::parentFont, &G::setParentFont, true));
  t.push_back(p::integer<G>(
      "TabOrder", [](const G& o) { return o.tabOrder; },
      [](G& o, int64_t v) { o.tabOrder = static_cast<int>(v); }, -1));
  for (auto& f : p::font<G>(
           "TitleFont", [](const G&o) { return o.titleFont(); },
           [](G&o, const StreamFont&f) { o.setTitleFont(f); }, [](const G&o) { return !o.parentFont(); }))
    t.push_back(f);
  {
    PropertyTable<G>::Property columns;
    columns.name = "Columns";
    columns.get = [](const G& o) {
      std::vector<stream::CollectionItem> items;
      for (const Column& c : o.columns()) items.push_back(columnItem(c));
      return stream::Value::Collection(std::move(items));
    };
    columns.set = [](G& o, const stream::Value& v, std::string* why) {
      if (v.type != stream::ValueType::kCollection) return false;
      std::vector<Column> out;
      for (const stream::CollectionItem& item : v.items) {
        Column c;
        if (!applyColumn(item, &c, why)) return false;
        out.push_back(c);
      }
      o.setColumns(std::move(out));
      return true;
    };
    columns.stored = [](const G& o) { return o.tableModel()->hasOwnColumns(); };
    t.push_back(columns);
  }
  return t;
}

}  // namespace

const PropertyTable<TTamberlyDBGrid>& dbGridProperties() {
  static const PropertyTable<TTamberlyDBGrid> table("TTamberlyDBGrid", declaredProperties());
  return table;
}

stream::Component writeComponent(const TTamberlyDBGrid& grid) {
  return dbGridProperties().write(grid, grid.objectName().toStdString());
}

void readComponent(TTamberlyDBGrid& grid, const stream::Component& c) {
  dbGridProperties().read(grid, c);
  grid.setObjectName(QString::fromStdString(c.name));
}

}  // namespace orba::desktop
