#pragma once

#include <QSize>

namespace orba::desktop {

// The size steps of the list panels. Widths are multiplied or divided by the
// extended-precision number nearest to 1.15 (it lies a little below 1.15, so
// a width that is a multiple of 20 enlarges to one less than the decimal
// product: 100 becomes 114, 20 becomes 22), heights by 1.25, and the result
// is truncated toward zero. The arithmetic is exact, so the steps are the
// same on every machine. There is no minimum or maximum: a side that
// truncation cannot change stays as it is, and a side of 0 stays 0.
namespace sizing {

int enlargeWidth(int width);
int reduceWidth(int width);
int enlargeHeight(int height);
int reduceHeight(int height);

// The title buttons' steps: width by 1.15, then height by 1.25.
QSize enlarged(QSize size);
QSize reduced(QSize size);
// The to-do pop-up menu's steps: both sides by 1.15.
QSize popupEnlarged(QSize size);
QSize popupReduced(QSize size);

}  // namespace sizing
}  // namespace orba::desktop
