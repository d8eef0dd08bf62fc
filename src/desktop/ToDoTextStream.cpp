// The to-do text's published properties, in the order its row carries them.

#include "CommonProperties.h"
#include "ComponentStreams.h"
#include "ToDoText.h"

namespace orba::desktop {

namespace {

using T = TToDoText;
namespace p = properties;

const std::vector<std::string> kAligns = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
const std::vector<std::string> kScrollStyles = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};

std::vector<PropertyTable<T>::Property> declaredProperties() {
  std::vector<PropertyTable<T>::Property> t =
      p::tagAndGeometry<T>([](const T& o) { return o.tag; }, [](T& o, int v) { o.tag = v; });
  t.push_back(p::enumeration<T, TAlign>(
      "Align", kAligns, [](const T& o) { return o.align; }, [](T& o, TAlign a) { o.align = a; },
      TAlign::alNone));
  for (auto& f : p::font<T>(
           "Font", [](const T&o) { return o.streamFont(); },
           [](T&o, const StreamFont&f) { o.setStreamFont(f); }, [](const T&o) { return !o.parentFont(); }))
    t.push_back(f);
  t.push_back(p::boolean<T>(
      "HideScrollBars", [](const T& o) { return o.hideScrollBars(); },
      [](T& o, bool v) { o.setHideScrollBars(v); }, true));
  {
    // The text as lines, without formatting.
    PropertyTable<T>::Property lines;
    lines.name = "Lines.Strings";
    lines.get = [](const T& o) {
      std::vector<stream::Value> values;
      for (const QString& line : o.lines()) {
        bool lossless = true;
        values.push_back(textValue(line, &lossless));
        if (!lossless)
          throw StreamError(
              "TRichEdit", "Lines.Strings", 0,
              "the line '" + line.toStdString() + "' holds characters that Windows-1252 cannot store");
      }
      return stream::Value::List(std::move(values));
    };
    lines.set = [](T& o, const stream::Value& v, std::string* why) {
      if (v.type != stream::ValueType::kList) return false;
      QStringList out;
      for (const stream::Value& item : v.list) {
        const auto line = textFrom(item);
        if (!line) {
          *why = "a line that is not text";
          return false;
        }
        out << *line;
      }
      o.setLines(out);
      return true;
    };
    lines.declaredDefault = stream::Value::List({});
    t.push_back(lines);
  }
  t.push_back(p::boolean<T>("ParentFont", &T::parentFont, &T::setParentFont, true));
  t.push_back(p::reference<T>(
      "PopupMenu", [](const T& o) { return o.popupMenuName; },
      [](T& o, const QString& n) { o.popupMenuName = n; }));
  t.push_back(p::enumeration<T, TScrollStyle>("ScrollBars", kScrollStyles, &T::scrollBars, &T::setScrollBars,
                                              TScrollStyle::ssNone));
  t.push_back(p::integer<T>(
      "TabOrder", [](const T& o) { return o.tabOrder; },
      [](T& o, int64_t v) { o.tabOrder = static_cast<int>(v); }, -1));
  t.push_back(p::boolean<T>("WantTabs", &T::wantTabs, &T::setWantTabs, false));
  return t;
}

}  // namespace

const PropertyTable<TToDoText>& toDoTextProperties() {
  static const PropertyTable<TToDoText> table("TRichEdit", declaredProperties());
  return table;
}

stream::Component writeComponent(const TToDoText& text) {
  return toDoTextProperties().write(text, text.objectName().toStdString());
}

void readComponent(TToDoText& text, const stream::Component& c) {
  toDoTextProperties().read(text, c);
  text.setObjectName(QString::fromStdString(c.name));
}

}  // namespace orba::desktop
