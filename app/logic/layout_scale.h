#pragma once

namespace trevasso::logic {

// Positions and sizes in pixels, as the windows take them; a rectangle's right edge is
// x + width, one past its last pixel.
struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};
struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// What a font measures, in logical pixels: the average width of the letters a-z and A-Z, and
// the height of a line.
struct FontBase {
  double averageCharWidth = 0;
  double lineHeight = 0;
};

// The font every rectangle of the windows was drawn for: DejaVu Sans at 9 pt on a 96 dpi
// screen (12 pixels), the toolkit's default on a desktop that sets no font of its own.
inline constexpr FontBase kDesignFont{7.405, 13.969};

// Geometry drawn for one font carried over to another, as dialog units do: horizontal
// distances follow the average letter width, vertical ones the line height. Edges are scaled
// rather than sizes, so controls that touch at the design font still touch, and equal gaps stay
// equal to within a pixel.
class LayoutScale {
 public:
  LayoutScale() = default;
  LayoutScale(double x, double y) : x_(x), y_(y) {}

  // From the design font to `actual`. A font that measures nothing (no font at all) keeps the
  // design geometry.
  static LayoutScale Between(const FontBase& design, const FontBase& actual);

  double x() const { return x_; }
  double y() const { return y_; }

  int X(int designX) const;
  int Y(int designY) const;
  logic::Point Point(const logic::Point& design) const { return {X(design.x), Y(design.y)}; }
  logic::Size Size(const logic::Size& design) const { return {X(design.width), Y(design.height)}; }
  logic::Rect Rect(const logic::Rect& design) const;

 private:
  double x_ = 1;
  double y_ = 1;
};

}  // namespace trevasso::logic
