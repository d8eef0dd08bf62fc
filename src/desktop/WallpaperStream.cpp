// The wallpaper's published properties. A wallpaper's row carries Left,
// Top, Width, Height, Align, PopupMenu, TabOrder and Wallpaper.Data, each
// where it differs from its declared default; the other published
// properties are accepted when read (a stream written elsewhere may hold
// them) and never written.

#include "CommonProperties.h"
#include "ComponentStreams.h"
#include "Wallpaper.h"

namespace orba::desktop {

namespace {

using W = TWallpaper;
namespace p = properties;

const std::vector<std::string> kAligns = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
const std::vector<std::string> kBevels = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};

template <typename Prop>
Prop readOnly(Prop prop) {
  prop.stored = [](const W&) { return false; };
  return prop;
}

// A published property the wallpaper accepts and ignores.
PropertyTable<W>::Property accepted(std::string name) {
  PropertyTable<W>::Property prop;
  prop.name = std::move(name);
  prop.get = [](const W&) { return stream::Value::Nil(); };
  prop.set = [](W&, const stream::Value&, std::string*) { return true; };
  prop.stored = [](const W&) { return false; };
  return prop;
}

std::vector<PropertyTable<W>::Property> declaredProperties() {
  auto geometry = p::tagAndGeometry<W>([](const W& w) { return w.tag; }, [](W& w, int v) { w.tag = v; });
  std::vector<PropertyTable<W>::Property> t = {readOnly(geometry[0]), geometry[1], geometry[2], geometry[3],
                                               geometry[4]};
  t.push_back(p::enumeration<W, TAlign>(
      "Align", kAligns, [](const W& w) { return w.align; }, [](W& w, TAlign a) { w.align = a; },
      TAlign::alNone));
  t.push_back(readOnly(p::enumeration<W, TBevelCut>(
      "BevelInner", kBevels, [](const W& w) { return w.bevelInner; },
      [](W& w, TBevelCut b) { w.setBevels(w.bevelOuter, b, w.bevelWidth, w.borderWidth); },
      TBevelCut::bvNone)));
  t.push_back(readOnly(p::enumeration<W, TBevelCut>(
      "BevelOuter", kBevels, [](const W& w) { return w.bevelOuter; },
      [](W& w, TBevelCut b) { w.setBevels(b, w.bevelInner, w.bevelWidth, w.borderWidth); },
      TBevelCut::bvRaised)));
  t.push_back(readOnly(p::integer<W>(
      "BevelWidth", [](const W& w) { return w.bevelWidth; },
      [](W& w, int64_t v) { w.setBevels(w.bevelOuter, w.bevelInner, static_cast<int>(v), w.borderWidth); },
      1)));
  t.push_back(readOnly(p::integer<W>(
      "BorderWidth", [](const W& w) { return w.borderWidth; },
      [](W& w, int64_t v) { w.setBevels(w.bevelOuter, w.bevelInner, w.bevelWidth, static_cast<int>(v)); },
      0)));
  for (const char* name : {"BorderStyle", "Caption"}) t.push_back(accepted(name));
  t.push_back(readOnly(p::color<W>(
      "Color", [](const W& w) { return w.color; }, [](W& w, TColor c) { w.color = c; }, clBtnFace)));
  for (const char* name : {"Ctl3D", "DragCursor", "DragMode", "Enabled", "Locked", "ParentColor",
                           "ParentCtl3D", "ParentFont", "ParentShowHint"})
    t.push_back(accepted(name));
  t.push_back(p::reference<W>(
      "PopupMenu", [](const W& w) { return w.popupMenuName; },
      [](W& w, const QString& n) { w.popupMenuName = n; }));
  t.push_back(accepted("ShowHint"));
  t.push_back(p::integer<W>(
      "TabOrder", [](const W& w) { return w.tabOrder; },
      [](W& w, int64_t v) { w.tabOrder = static_cast<int>(v); }, -1));
  t.push_back(accepted("TabStop"));
  {
    PropertyTable<W>::Property data;
    data.name = "Wallpaper.Data";
    data.get = [](const W& w) { return stream::Value::Binary(w.picture().streamData()); };
    data.set = [](W& w, const stream::Value& v, std::string* why) {
      if (v.type != stream::ValueType::kBinary) return false;
      const auto picture = WallpaperPicture::fromStreamData(v.text);
      if (!picture) {
        *why = "the picture is neither a TBitmap nor a TJPEGImage with its size";
        return false;
      }
      w.setPicture(*picture);
      return true;
    };
    data.skipEmpty = true;
    t.push_back(data);
  }
  t.push_back(readOnly(p::visible<W>()));
  return t;
}

}  // namespace

const PropertyTable<TWallpaper>& wallpaperProperties() {
  static const PropertyTable<TWallpaper> table("TWallpaper", declaredProperties());
  return table;
}

stream::Component writeComponent(const TWallpaper& wallpaper) {
  return wallpaperProperties().write(wallpaper, wallpaper.objectName().toStdString());
}

void readComponent(TWallpaper& wallpaper, const stream::Component& c) {
  wallpaperProperties().read(wallpaper, c);
  wallpaper.setObjectName(QString::fromStdString(c.name));
}

}  // namespace orba::desktop
