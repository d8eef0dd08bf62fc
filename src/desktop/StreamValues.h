#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "stream/ComponentStream.h"

namespace orba::desktop {

// The values a desktop component stream carries, to and from what the
// widgets hold: text in Windows-1252, colours as the toolkit's numbers
// (0x00BBGGRR, or 0x800000nn for a system colour) written by name where one
// exists, enumerations and sets as identifiers.

// A colour as stored: clNavy, clWindowText ... or its number.
using TColor = int32_t;
inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                        clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                        clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                        clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
inline constexpr TColor clWindow = static_cast<TColor>(0x80000005u);
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);
inline constexpr TColor clBtnFace = static_cast<TColor>(0x8000000Fu);
inline constexpr TColor clBtnShadow = static_cast<TColor>(0x80000010u);
inline constexpr TColor clBtnHighlight = static_cast<TColor>(0x80000014u);
inline constexpr TColor cl3DDkShadow = static_cast<TColor>(0x80000015u);
inline constexpr TColor clHighlight = static_cast<TColor>(0x8000000Du);

stream::Value colorValue(TColor color);
std::optional<TColor> colorFrom(const stream::Value& v);
// The colour on screen: system colours from the application's palette.
QColor toQColor(TColor color);

// Text: Windows-1252 in the stream. A text the code page cannot hold is
// refused (*lossless false) rather than silently changed.
stream::Value textValue(const QString& text, bool* lossless);
std::optional<QString> textFrom(const stream::Value& v);

std::optional<int64_t> integerFrom(const stream::Value& v);
std::optional<bool> booleanFrom(const stream::Value& v);
std::optional<std::string> identFrom(const stream::Value& v);
std::optional<std::vector<std::string>> setFrom(const stream::Value& v);

// A bitmap as "Glyph.Data" holds it: a 4-byte size, then the BMP file.
std::string bitmapData(const QImage& image);
std::optional<QImage> bitmapFrom(const std::string& data);

// The five Font entries, as a font and a colour.
struct StreamFont {
  std::string charset = "DEFAULT_CHARSET";
  TColor color = clWindowText;
  int32_t height = -11;  // pixels at 96 dpi, negative for a character height
  QString name = QStringLiteral("MS Sans Serif");
  std::vector<std::string> style;  // fsBold, fsItalic, fsUnderline, fsStrikeOut

  QFont toQFont() const;
  bool operator==(const StreamFont&) const = default;
};

}  // namespace orba::desktop
