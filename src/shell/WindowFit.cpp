#include "WindowFit.h"

#include <algorithm>

namespace orba::shell {

QRect fitFrame(const QRect& frame, const QRect& available) {
  if (available.isEmpty()) return frame;
  const QSize size = frame.size().boundedTo(available.size());
  const int left =
      std::clamp(frame.left(), available.left(), available.left() + available.width() - size.width());
  const int top =
      std::clamp(frame.top(), available.top(), available.top() + available.height() - size.height());
  return {QPoint(left, top), size};
}

QRect fitClient(const QRect& client, const QMargins& frame, const QRect& available) {
  const QRect fitted = fitFrame(client.marginsAdded(frame), available);
  return fitted.marginsRemoved(frame);
}

}  // namespace orba::shell
