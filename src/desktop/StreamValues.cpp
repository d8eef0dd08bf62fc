#include "StreamValues.h"

#include <QApplication>
#include <QBuffer>
#include <QPalette>
#include <algorithm>

namespace orba::desktop {

namespace {

struct NamedColor {
  const char* name;
  TColor value;
};

constexpr NamedColor kColors[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clScrollBar", static_cast<TColor>(0x80000000u)},
    {"clBackground", static_cast<TColor>(0x80000001u)},
    {"clActiveCaption", static_cast<TColor>(0x80000002u)},
    {"clInactiveCaption", static_cast<TColor>(0x80000003u)},
    {"clMenu", static_cast<TColor>(0x80000004u)},
    {"clWindow", clWindow},
    {"clWindowFrame", static_cast<TColor>(0x80000006u)},
    {"clMenuText", static_cast<TColor>(0x80000007u)},
    {"clWindowText", clWindowText},
    {"clCaptionText", static_cast<TColor>(0x80000009u)},
    {"clActiveBorder", static_cast<TColor>(0x8000000Au)},
    {"clInactiveBorder", static_cast<TColor>(0x8000000Bu)},
    {"clAppWorkSpace", static_cast<TColor>(0x8000000Cu)},
    {"clHighlight", clHighlight},
    {"clHighlightText", static_cast<TColor>(0x8000000Eu)},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", static_cast<TColor>(0x80000011u)},
    {"clBtnText", static_cast<TColor>(0x80000012u)},
    {"clInactiveCaptionText", static_cast<TColor>(0x80000013u)},
    {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", static_cast<TColor>(0x80000016u)},
    {"clInfoText", static_cast<TColor>(0x80000017u)},
    {"clInfoBk", static_cast<TColor>(0x80000018u)},
    {"clNone", static_cast<TColor>(0x1FFFFFFF)},
    {"clDefault", static_cast<TColor>(0x20000000)},
};

}  // namespace

stream::Value colorValue(TColor color) {
  for (const NamedColor& c : kColors)
    if (c.value == color) return stream::Value::Ident(c.name);
  return stream::Value::Integer(color);
}

std::optional<TColor> colorFrom(const stream::Value& v) {
  if (v.isInteger()) return static_cast<TColor>(v.integer);
  if (v.type != stream::ValueType::kIdent) return std::nullopt;
  for (const NamedColor& c : kColors)
    if (v.text == c.name) return c.value;
  return std::nullopt;
}

QColor toQColor(TColor color) {
  const auto u = static_cast<uint32_t>(color);
  if ((u & 0xFF000000u) == 0x80000000u) {
    const QPalette palette = QApplication::palette();
    switch (u & 0xFF) {
      case 0x05:
        return palette.color(QPalette::Base);
      case 0x08:
        return palette.color(QPalette::Text);
      case 0x0D:
        return palette.color(QPalette::Highlight);
      case 0x0E:
        return palette.color(QPalette::HighlightedText);
      case 0x0F:
        return palette.color(QPalette::Button);
      case 0x10:
        return palette.color(QPalette::Mid);
      case 0x12:
        return palette.color(QPalette::ButtonText);
      case 0x14:
        return palette.color(QPalette::Light);
      case 0x15:
        return palette.color(QPalette::Shadow);
      case 0x16:
        return palette.color(QPalette::Midlight);
      case 0x17:
        return palette.color(QPalette::ToolTipText);
      case 0x18:
        return palette.color(QPalette::ToolTipBase);
      default:
        return palette.color(QPalette::Window);
    }
  }
  return QColor(static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF),
                static_cast<int>((u >> 16) & 0xFF));
}

stream::Value textValue(const QString& text, bool* lossless) {
  return stream::Value::String(stream::utf8ToWindows1252(text.toStdString(), lossless));
}

std::optional<QString> textFrom(const stream::Value& v) {
  switch (v.type) {
    case stream::ValueType::kString:
    case stream::ValueType::kLString:
      return QString::fromStdString(stream::windows1252ToUtf8(v.text));
    case stream::ValueType::kUtf8String:
      return QString::fromStdString(v.text);
    case stream::ValueType::kWString:
      return QString::fromStdU16String(v.wide);
    default:
      return std::nullopt;
  }
}

std::optional<int64_t> integerFrom(const stream::Value& v) {
  if (v.isInteger()) return v.integer;
  return std::nullopt;
}

std::optional<bool> booleanFrom(const stream::Value& v) {
  if (v.type == stream::ValueType::kTrue) return true;
  if (v.type == stream::ValueType::kFalse) return false;
  return std::nullopt;
}

std::optional<std::string> identFrom(const stream::Value& v) {
  if (v.type == stream::ValueType::kIdent) return v.text;
  return std::nullopt;
}

std::optional<std::vector<std::string>> setFrom(const stream::Value& v) {
  if (v.type == stream::ValueType::kSet) return v.names;
  return std::nullopt;
}

std::string bitmapData(const QImage& image) {
  if (image.isNull()) return {};
  QByteArray file;
  QBuffer buffer(&file);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  std::string data;
  const auto n = static_cast<uint32_t>(file.size());
  for (int i = 0; i < 4; ++i) data += static_cast<char>(n >> (8 * i));
  data.append(file.constData(), static_cast<size_t>(file.size()));
  return data;
}

std::optional<QImage> bitmapFrom(const std::string& data) {
  if (data.size() < 4) return std::nullopt;
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i)
    n |= static_cast<uint32_t>(static_cast<uint8_t>(data[static_cast<size_t>(i)])) << (8 * i);
  if (n != data.size() - 4 || n < 2 || data.compare(4, 2, "BM") != 0) return std::nullopt;
  QImage image;
  if (!image.loadFromData(reinterpret_cast<const uchar*>(data.data() + 4), static_cast<int>(n), "BMP"))
    return std::nullopt;
  return image;
}

QFont StreamFont::toQFont() const {
  QFont font(name);
  // The height is in pixels at 96 dots per inch; negative means the
  // character height, which is what a pixel size sets.
  font.setPixelSize(std::max(1, height < 0 ? -height : height));
  font.setBold(std::find(style.begin(), style.end(), "fsBold") != style.end());
  font.setItalic(std::find(style.begin(), style.end(), "fsItalic") != style.end());
  font.setUnderline(std::find(style.begin(), style.end(), "fsUnderline") != style.end());
  font.setStrikeOut(std::find(style.begin(), style.end(), "fsStrikeOut") != style.end());
  return font;
}

}  // namespace orba::desktop
