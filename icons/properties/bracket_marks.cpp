#include "icons/properties/bracket_marks.h"

namespace icons {

using platform::Path;

Path leftBracket(const IconArt& a, double x0, double barX, double x1, double y0, double armLow, double armHigh,
                 double y1) {
  return a.polygon({{x0, y0}, {x1, y0}, {x1, armLow}, {barX, armLow}, {barX, armHigh}, {x1, armHigh}, {x1, y1},
                    {x0, y1}});
}

Path rightBracket(const IconArt& a, double x0, double barX, double x1, double y0, double armLow, double armHigh,
                  double y1) {
  return a.polygon({{x1, y0}, {x1, y1}, {x0, y1}, {x0, armHigh}, {barX, armHigh}, {barX, armLow}, {x0, armLow},
                    {x0, y0}});
}

Path topBracket(const IconArt& a, double x0, double legL, double legR, double x1, double y0, double barY, double y1) {
  return a.polygon({{x0, y1}, {x0, y0}, {legL, y0}, {legL, barY}, {legR, barY}, {legR, y0}, {x1, y0}, {x1, y1}});
}

Path bottomBracket(const IconArt& a, double x0, double legL, double legR, double x1, double y0, double barY,
                   double y1) {
  return a.polygon({{x0, y0}, {x1, y0}, {x1, y1}, {legR, y1}, {legR, barY}, {legL, barY}, {legL, y1}, {x0, y1}});
}

}  // namespace icons
