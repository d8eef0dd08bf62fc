// The list panel's published properties, in the order its rows carry them.

#include "CommonProperties.h"
#include "ComponentStreams.h"
#include "ListPanel.h"

namespace orba::desktop {

namespace {

using P = TListPanel;
namespace p = properties;

std::vector<PropertyTable<P>::Property> declaredProperties() {
  std::vector<PropertyTable<P>::Property> t =
      p::tagAndGeometry<P>([](const P& o) { return o.tag; }, [](P& o, int v) { o.tag = v; });
  t.push_back(p::text<P>("Caption", &P::caption, &P::setCaption, "TListPanel"));
  auto color = p::color<P>("Color", &P::color, &P::setColor, clBtnFace);
  color.stored = [](const P& o) { return !o.parentColor; };
  t.push_back(color);
  {
    PropertyTable<P>::Property cursor;
    cursor.name = "DragCursor";
    cursor.get = [](const P& o) { return stream::Value::Ident(o.dragCursor); };
    cursor.set = [](P& o, const stream::Value& v, std::string*) {
      if (const auto ident = identFrom(v))
        o.dragCursor = *ident;
      else if (const auto i = integerFrom(v))
        o.dragCursor = std::to_string(*i);
      else
        return false;
      return true;
    };
    cursor.declaredDefault = stream::Value::Ident("crDrag");
    t.push_back(cursor);
  }
  for (auto& f : p::font<P>(
           "Font", [](const P&o) { return o.streamFont(); },
           [](P&o, const StreamFont&f) { o.setStreamFont(f); }, [](const P&o) { return !o.parentFont(); }))
    t.push_back(f);
  t.push_back(p::boolean<P>(
      "ParentColor", [](const P& o) { return o.parentColor; }, [](P& o, bool v) { o.parentColor = v; },
      false));
  t.push_back(p::boolean<P>("ParentFont", &P::parentFont, &P::setParentFont, true));
  t.push_back(p::reference<P>(
      "PopupMenu", [](const P& o) { return o.popupMenuName; },
      [](P& o, const QString& n) { o.popupMenuName = n; }));
  t.push_back(p::integer<P>(
      "TabOrder", [](const P& o) { return o.tabOrder; },
      [](P& o, int64_t v) { o.tabOrder = static_cast<int>(v); }, -1));
  t.push_back(p::visible<P>());
  return t;
}

}  // namespace

const PropertyTable<TListPanel>& listPanelProperties() {
  static const PropertyTable<TListPanel> table("TGroupBox", declaredProperties());
  return table;
}

stream::Component writeComponent(const TListPanel& panel) {
  return listPanelProperties().write(panel, panel.objectName().toStdString());
}

void readComponent(TListPanel& panel, const stream::Component& c) {
  listPanelProperties().read(panel, c);
  panel.setObjectName(QString::fromStdString(c.name));
}

}  // namespace orba::desktop
