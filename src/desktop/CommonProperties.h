#pragma once

#include <QWidget>

#include "PropertyTable.h"
#include "StreamValues.h"

namespace orba::desktop::properties {

// Entries that several desktop classes share, built for any widget class.

using stream::Value;

template <typename T>
using Prop = typename PropertyTable<T>::Property;

// An integer entry read and written through two functions.
template <typename T>
Prop<T> integer(std::string name, std::function<int64_t(const T&)> get, std::function<void(T&, int64_t)> set,
                std::optional<int64_t> byDefault = std::nullopt) {
  Prop<T> p;
  p.name = std::move(name);
  p.get = [get](const T& o) { return Value::Integer(get(o)); };
  p.set = [set](T& o, const Value& v, std::string*) {
    const auto i = integerFrom(v);
    if (i) set(o, *i);
    return i.has_value();
  };
  if (byDefault) p.declaredDefault = Value::Integer(*byDefault);
  return p;
}

template <typename T>
Prop<T> boolean(std::string name, std::function<bool(const T&)> get, std::function<void(T&, bool)> set,
                std::optional<bool> byDefault = std::nullopt) {
  Prop<T> p;
  p.name = std::move(name);
  p.get = [get](const T& o) { return Value::Boolean(get(o)); };
  p.set = [set](T& o, const Value& v, std::string*) {
    const auto b = booleanFrom(v);
    if (b) set(o, *b);
    return b.has_value();
  };
  if (byDefault) p.declaredDefault = Value::Boolean(*byDefault);
  return p;
}

// An enumeration, written by the names in `names` (index = value).
template <typename T, typename E>
Prop<T> enumeration(std::string name, std::vector<std::string> names, std::function<E(const T&)> get,
                    std::function<void(T&, E)> set, std::optional<E> byDefault = std::nullopt) {
  Prop<T> p;
  p.name = std::move(name);
  p.get = [get, names](const T& o) { return Value::Ident(names.at(static_cast<size_t>(get(o)))); };
  p.set = [set, names](T& o, const Value& v, std::string* why) {
    const auto ident = identFrom(v);
    if (!ident) return false;
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == *ident) {
        set(o, static_cast<E>(i));
        return true;
      }
    *why = "'" + *ident + "' is not a value of this property";
    return false;
  };
  if (byDefault) p.declaredDefault = Value::Ident(names.at(static_cast<size_t>(*byDefault)));
  return p;
}

// A text; written only when not empty. A text that Windows-1252 cannot hold
// is refused when written (StreamError), never changed silently.
template <typename T>
Prop<T> text(std::string name, std::function<QString(const T&)> get,
             std::function<void(T&, const QString&)> set, const std::string& className) {
  Prop<T> p;
  p.name = name;
  p.get = [get, name, className](const T& o) {
    bool lossless = true;
    Value v = textValue(get(o), &lossless);
    if (!lossless)
      throw StreamError(
          className, name, 0,
          "the text '" + get(o).toStdString() + "' holds characters that Windows-1252 cannot store");
    return v;
  };
  p.set = [set](T& o, const Value& v, std::string*) {
    const auto t = textFrom(v);
    if (t) set(o, *t);
    return t.has_value();
  };
  p.skipEmpty = true;
  return p;
}

// A reference to another component, by name ("PopupMenu", or
// "Ar_DataModule.Ar_DataSource" for a component of another owner); none
// (empty) is not written.
template <typename T>
Prop<T> reference(std::string name, std::function<QString(const T&)> get,
                  std::function<void(T&, const QString&)> set) {
  Prop<T> p;
  p.name = std::move(name);
  p.get = [get](const T& o) { return Value::Ident(get(o).toStdString()); };
  p.set = [set](T& o, const Value& v, std::string*) {
    if (v.type == stream::ValueType::kNil) {
      set(o, {});
      return true;
    }
    const auto ident = identFrom(v);
    if (ident) set(o, QString::fromStdString(*ident));
    return ident.has_value();
  };
  p.declaredDefault = Value::Ident("");
  return p;
}

template <typename T>
Prop<T> color(std::string name, std::function<TColor(const T&)> get, std::function<void(T&, TColor)> set,
              std::optional<TColor> byDefault = std::nullopt) {
  Prop<T> p;
  p.name = std::move(name);
  p.get = [get](const T& o) { return colorValue(get(o)); };
  p.set = [set](T& o, const Value& v, std::string*) {
    const auto c = colorFrom(v);
    if (c) set(o, *c);
    return c.has_value();
  };
  if (byDefault) p.declaredDefault = colorValue(*byDefault);
  return p;
}

// Tag, then Left, Top, Width, Height (always written), as every control
// starts its stream.
template <typename T>
std::vector<Prop<T>> tagAndGeometry(std::function<int(const T&)> tag, std::function<void(T&, int)> setTag) {
  return {
      integer<T>(
          "Tag", [tag](const T& o) { return tag(o); },
          [setTag](T& o, int64_t v) { setTag(o, static_cast<int>(v)); }, 0),
      integer<T>(
          "Left", [](const T& o) { return o.x(); },
          [](T& o, int64_t v) { o.move(static_cast<int>(v), o.y()); }),
      integer<T>(
          "Top", [](const T& o) { return o.y(); },
          [](T& o, int64_t v) { o.move(o.x(), static_cast<int>(v)); }),
      integer<T>(
          "Width", [](const T& o) { return o.width(); },
          [](T& o, int64_t v) { o.resize(static_cast<int>(v), o.height()); }),
      integer<T>(
          "Height", [](const T& o) { return o.height(); },
          [](T& o, int64_t v) { o.resize(o.width(), static_cast<int>(v)); }),
  };
}

// The five Font entries, written (all of them) when the font is the
// component's own rather than its parent's.
template <typename T>
std::vector<Prop<T>> font(std::string prefix, std::function<StreamFont(const T&)> get,
                          std::function<void(T&, const StreamFont&)> set,
                          std::function<bool(const T&)> stored) {
  auto field = [get, set](auto member) {
    return std::pair{[get, member](const T& o) { return get(o).*member; },
                     [get, set, member](T& o, auto value) {
                       StreamFont f = get(o);
                       f.*member = value;
                       set(o, f);
                     }};
  };
  std::vector<Prop<T>> out;
  {
    Prop<T> p;
    p.name = prefix + ".Charset";
    p.get = [get](const T& o) { return Value::Ident(get(o).charset); };
    p.set = [get, set](T& o, const Value& v, std::string*) {
      StreamFont f = get(o);
      if (const auto ident = identFrom(v))
        f.charset = *ident;
      else if (const auto i = integerFrom(v))
        f.charset = std::to_string(*i);
      else
        return false;
      set(o, f);
      return true;
    };
    out.push_back(p);
  }
  const auto [getColor, setColor] = field(&StreamFont::color);
  out.push_back(color<T>(prefix + ".Color", getColor, setColor));
  const auto [getHeight, setHeight] = field(&StreamFont::height);
  out.push_back(integer<T>(prefix + ".Height", getHeight,
                           [setHeight](T& o, int64_t v) { setHeight(o, static_cast<int32_t>(v)); }));
  {
    Prop<T> p;
    p.name = prefix + ".Name";
    p.get = [get](const T& o) { return Value::String(stream::utf8ToWindows1252(get(o).name.toStdString())); };
    p.set = [get, set](T& o, const Value& v, std::string*) {
      const auto t = textFrom(v);
      if (!t) return false;
      StreamFont f = get(o);
      f.name = *t;
      set(o, f);
      return true;
    };
    out.push_back(p);
  }
  {
    Prop<T> p;
    p.name = prefix + ".Style";
    p.get = [get](const T& o) { return Value::Set(get(o).style); };
    p.set = [get, set](T& o, const Value& v, std::string* why) {
      const auto names = setFrom(v);
      if (!names) return false;
      for (const std::string& n : *names)
        if (n != "fsBold" && n != "fsItalic" && n != "fsUnderline" && n != "fsStrikeOut") {
          *why = "'" + n + "' is not a font style";
          return false;
        }
      StreamFont f = get(o);
      f.style = *names;
      set(o, f);
      return true;
    };
    out.push_back(p);
  }
  for (Prop<T>& p : out) p.stored = stored;
  return out;
}

// Visible: the component's own state, not whether its parent is on screen.
template <typename T>
Prop<T> visible() {
  return boolean<T>(
      "Visible",
      [](const T& o) { return o.parentWidget() ? o.isVisibleTo(o.parentWidget()) : !o.isHidden(); },
      [](T& o, bool v) { o.setVisible(v); }, true);
}

template <typename T>
Prop<T> enabled() {
  return boolean<T>(
      "Enabled", [](const T& o) { return o.isEnabled(); }, [](T& o, bool v) { o.setEnabled(v); }, true);
}

}  // namespace orba::desktop::properties
