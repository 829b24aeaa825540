#pragma once
// Motifs that several property icons share (the AWB plate, the fluorescent tube, the custom symbol, the sun, the
// stacked frames, the stopwatch dial, the viewfinder frames). Each fills its shapes into the art's current region.

#include "icons/properties/icon_art.h"

namespace icons {

void fillAwbPlate(IconArt& a);
void fillFluorescentTube(IconArt& a);
void fillCustomSymbol(IconArt& a);
void fillSun(IconArt& a, double rayInner, double rayOuter);
// A ray (a thin bar) from radius r0 to r1 at an angle (degrees, counter-clockwise from +x) around (cx, cy).
platform::Path ray(const IconArt& a, double cx, double cy, double r0, double r1, double degrees, double width);

// The three stacked picture frames of the continuous drive modes (front frame, two L-shaped frames behind).
void fillStackedFrames(IconArt& a);
// A letter mark in the free lower-right corner of the stacked frames.
void fillCornerMark(IconArt& a, const QString& letters, double x0 = 0.66);
// The stopwatch dial of the self-timer modes; `hand` draws the hand at twelve o'clock.
void fillDial(IconArt& a, bool hand);
// The remote control, with its signal arcs.
void fillRemote(IconArt& a);

// Viewfinder frames of the metering icons: open at the middle of the top and bottom edges, or closed.
void fillOpenViewfinder(IconArt& a);
void fillClosedViewfinder(IconArt& a);
void fillCentreDisc(IconArt& a, double radius);

}  // namespace icons
