#include "PanelSizing.h"

#include <cstdint>

namespace orba::desktop::sizing {

namespace {

// 1.15 as an 80-bit extended number holds it: a 64-bit mantissa over 2^63,
// rounded to nearest (the dropped part is 0.2 of a unit, so the value lies
// below 1.15).
constexpr unsigned __int128 kMantissa = 0x9333333333333333ULL;
constexpr unsigned __int128 kOne = static_cast<unsigned __int128>(1) << 63;

int timesFactor(int side) {
  if (side <= 0) return side;
  return static_cast<int>(side * kMantissa / kOne);
}

int byFactor(int side) {
  if (side <= 0) return side;
  return static_cast<int>(side * kOne / kMantissa);
}

}  // namespace

int enlargeWidth(int width) { return timesFactor(width); }
int reduceWidth(int width) { return byFactor(width); }
int enlargeHeight(int height) { return height <= 0 ? height : static_cast<int>(int64_t{height} * 5 / 4); }
int reduceHeight(int height) { return height <= 0 ? height : static_cast<int>(int64_t{height} * 4 / 5); }

QSize enlarged(QSize size) { return {enlargeWidth(size.width()), enlargeHeight(size.height())}; }
QSize reduced(QSize size) { return {reduceWidth(size.width()), reduceHeight(size.height())}; }
QSize popupEnlarged(QSize size) { return {timesFactor(size.width()), timesFactor(size.height())}; }
QSize popupReduced(QSize size) { return {byFactor(size.width()), byFactor(size.height())}; }

}  // namespace orba::desktop::sizing
