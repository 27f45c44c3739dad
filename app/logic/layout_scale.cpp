#include "logic/layout_scale.h"

#include <cmath>

namespace trevasso::logic {

LayoutScale LayoutScale::Between(const FontBase& design, const FontBase& actual) {
  const auto ratio = [](double to, double from) { return to > 0 && from > 0 ? to / from : 1.0; };
  return {ratio(actual.averageCharWidth, design.averageCharWidth),
          ratio(actual.lineHeight, design.lineHeight)};
}

int LayoutScale::X(int designX) const {
  return static_cast<int>(std::lround(designX * x_));
}

int LayoutScale::Y(int designY) const {
  return static_cast<int>(std::lround(designY * y_));
}

Rect LayoutScale::Rect(const logic::Rect& design) const {
  // Scale the edges, not the size, so that a control ending where the next begins keeps doing
  // so.
  const int left = X(design.x);
  const int top = Y(design.y);
  return {left, top, X(design.x + design.width) - left, Y(design.y + design.height) - top};
}

}  // namespace trevasso::logic
