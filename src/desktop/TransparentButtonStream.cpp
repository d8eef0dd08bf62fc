// The transparent button's published properties. Several creation values
// differ from the declared defaults a stream leaves out: a new button has
// FrameStyle fsRegular, ShowPressed false, TextAlign ttaBottom, WordWrap
// true and Movable true, so a stream that lacks these reads back into those
// values, not into the defaults.

#include "CommonProperties.h"
#include "ComponentStreams.h"
#include "TransparentButton.h"

namespace orba::desktop {

namespace {

using B = TTransparentButton;
namespace p = properties;

const std::vector<std::string> kFrameStyles = {"fsRegular", "fsIndent", "fsExplorer", "fsNone",
                                               "fsLight",   "fsDark",   "fsMono"};
const std::vector<std::string> kTextAligns = {"ttaTopLeft",    "ttaTop",         "ttaTopRight",
                                              "ttaRight",      "ttaBottomRight", "ttaBottom",
                                              "ttaBottomLeft", "ttaLeft",        "ttaCenter"};

std::vector<PropertyTable<B>::Property> declaredProperties() {
  std::vector<PropertyTable<B>::Property> t =
      p::tagAndGeometry<B>([](const B& b) { return b.tag(); }, [](B& b, int v) { b.setTag(v); });
  t.push_back(p::boolean<B>("AutoGray", &B::autoGray, &B::setAutoGray, true));
  t.push_back(p::integer<B>(
      "BorderWidth", [](const B& b) { return b.borderWidth(); },
      [](B& b, int64_t v) { b.setBorderWidth(static_cast<int>(v)); }, 1));
  t.push_back(p::text<B>("Caption", &B::caption, &B::setCaption, "TTransparentButton"));
  t.push_back(p::boolean<B>("Down", &B::isDown, &B::setDown, false));
  t.push_back(p::enabled<B>());
  for (auto& f : p::font<B>(
           "Font", [](const B&b) { return b.streamFont(); },
           [](B&b, const StreamFont&f) { b.setStreamFont(f); }, [](const B&b) { return !b.parentFont(); }))
    t.push_back(f);
  t.push_back(p::enumeration<B, TFrameStyle>("FrameStyle", kFrameStyles, &B::frameStyle, &B::setFrameStyle,
                                             TFrameStyle::fsExplorer));
  {
    PropertyTable<B>::Property glyph;
    glyph.name = "Glyph.Data";
    glyph.get = [](const B& b) { return stream::Value::Binary(bitmapData(b.glyph())); };
    glyph.set = [](B& b, const stream::Value& v, std::string* why) {
      if (v.type != stream::ValueType::kBinary) return false;
      const auto image = bitmapFrom(v.text);
      if (!image) {
        *why = "the picture is not a bitmap (a 4-byte size, then a BMP file)";
        return false;
      }
      b.setGlyph(*image);
      return true;
    };
    glyph.skipEmpty = true;
    t.push_back(glyph);
  }
  t.push_back(p::integer<B>(
      "NumGlyphs", [](const B& b) { return b.numGlyphs(); },
      [](B& b, int64_t v) { b.setNumGlyphs(static_cast<int>(v)); }, 1));
  t.push_back(p::boolean<B>("ParentFont", &B::parentFont, &B::setParentFont, true));
  t.push_back(p::boolean<B>("ParentShowHint", &B::parentShowHint, &B::setParentShowHint, true));
  t.push_back(p::reference<B>("PopUpMenu", &B::popUpMenuName,
                              [](B& b, const QString& name) { b.setPopUpMenu(b.popUpMenu(), name); }));
  {
    auto showHint = p::boolean<B>("ShowHint", &B::showHint, &B::setShowHint);
    showHint.stored = [](const B& b) { return !b.parentShowHint(); };
    t.push_back(showHint);
  }
  t.push_back(p::boolean<B>("ShowPressed", &B::showPressed, &B::setShowPressed, true));
  t.push_back(p::integer<B>(
      "Spacing", [](const B& b) { return b.spacing(); },
      [](B& b, int64_t v) { b.setSpacing(static_cast<int>(v)); }, 2));
  t.push_back(p::enumeration<B, TTextAlign>("TextAlign", kTextAligns, &B::textAlign, &B::setTextAlign,
                                            TTextAlign::ttaCenter));
  t.push_back(p::boolean<B>("Transparent", &B::isTransparent, &B::setTransparent, true));
  t.push_back(p::visible<B>());
  t.push_back(p::boolean<B>("WordWrap", &B::wordWrap, &B::setWordWrap, false));
  t.push_back(p::boolean<B>("Movable", &B::isMovable, &B::setMovable, false));
  return t;
}

}  // namespace

const PropertyTable<TTransparentButton>& transparentButtonProperties() {
  static const PropertyTable<TTransparentButton> table("TTransparentButton", declaredProperties());
  return table;
}

stream::Component writeComponent(const TTransparentButton& button) {
  return transparentButtonProperties().write(button, button.objectName().toStdString());
}

void readComponent(TTransparentButton& button, const stream::Component& c) {
  transparentButtonProperties().read(button, c);
  button.setObjectName(QString::fromStdString(c.name));
}

}  // namespace orba::desktop
