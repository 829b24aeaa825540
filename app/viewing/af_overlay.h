#pragma once
// Where each vendor's autofocus frames go over the live picture, worked out from the frame's record or the
// camera's properties, the view's size and the picture as shown. Pure geometry: the live-view display draws
// the result in its shape layers.
//
// Shared rules. The picture's rectangle P is the shown picture fitted into the view. The camera gives its frames
// in its own space with y growing downwards; a point is taken to 0...1 of that space, turned with the picture
// (the EXIF orientation the picture is shown in: 3 a half turn, 6 a quarter turn clockwise, 8 anticlockwise) and
// placed in P; the result is in the view's y-up coordinates, so every frame lies over the same part of the
// picture however the picture is turned. A camera space of no width or height places no frame.
#include <cstdint>
#include <optional>
#include <vector>

#include "app/viewing/live_view_frame_cut.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

struct AfFrameShape {
  platform::Rect rect;  // view coordinates, y up
  platform::Color color;
};

// Sony's zoomed-in mark: a cross at a point with arms of a length in each direction.
struct AfCross {
  platform::Point centre;
  double arm = 0;
  platform::Color color;
};

struct AfOverlayPlan {
  enum class Action {
    Keep,    // leave what is shown
    Remove,  // take the overlay away
    Draw,    // show `frames` (and `cross`) in place of what is shown
  };
  Action action = Action::Remove;
  std::vector<AfFrameShape> frames;
  std::optional<AfCross> cross;
};

// The view and the picture as shown in it.
struct AfOverlayGeometry {
  platform::Size viewSize;
  platform::Size pictureSize;  // the shown picture's size, turned already
  uint8_t orientation = 1;     // the turn the picture is shown with
  // P: the picture fitted into the view.
  platform::Rect pictureRect() const;
};

// A point of 0...1 in the camera's space (y down) turned by an EXIF orientation, in the turned space (y down).
platform::Point turnNormalisedPoint(platform::Point p, uint8_t orientation);
// Whether an orientation turns the picture by a quarter (its width and height exchange).
inline bool orientationExchangesSides(uint8_t orientation) { return orientation == 6 || orientation == 8; }

// Canon: the record's AF frames (kind 1 frames only), in whole-image coordinates (mode below 2; their top edge
// corrected by half the height difference at 48 and 32) or in zoom-area coordinates. Keep when the record has no
// frame or its first frame no width, or P has no width. Colours by state: 0x11 green, 0x12 red, other white.
AfOverlayPlan canonAfOverlay(const EOS_LiveViewInfoStruct& header, const AfOverlayGeometry& geometry);

// Nikon: the AF frame in the display area; its size scaled to P with P's longer side as width, a frame wider or
// taller than P drawn 10 points smaller than P, a frame past P's edges moved 5 points inside them. Yellow when
// chosen by hand, else green in focus, red out of focus, white.
AfOverlayPlan nikonAfOverlay(const Nikon_LiveViewInfoStruct2& record, const AfOverlayGeometry& geometry);

// What the Sony overlay reads of the camera.
struct SonyAfState {
  std::optional<uint32_t> focusState;  // 0xD213: 2 in focus
  std::optional<uint32_t> focusArea;   // 0xD22C
  uint32_t zoomRatio = 0;              // 0 not zoomed
  std::optional<platform::Point> afPoint;  // the engine's AF point (frame space), used when the frame holds none
  SonyFocusFrame focus;                // from the frame
  double spaceWidth = 0, spaceHeight = 0;
};
// Sony: nothing without 0xD213; zoomed, a cross at the view's centre; otherwise a frame (needs 0xD22C outside
// 1 ... 3) at the frame's focus point, or at the engine's AF point with a size from P; a frame whose left or
// lower edge leaves P is not shown. Green in focus, else white.
AfOverlayPlan sonyAfOverlay(const SonyAfState& state, const AfOverlayGeometry& geometry);

// What the Fujifilm overlay reads of the camera: the AF area as fractions of the picture (0xEEE0-0xEEE3).
struct FujiAfState {
  uint32_t zoomRatio = 0;
  std::optional<platform::Rect> area;  // x, y = the centre; width, height
  bool focused = false;                // 0xD209 = 2
};
// Fujifilm: nothing while zoomed or without an area (or one of no size); the frame at the area's centre, both sides scaled by P's
// width; a frame whose corner leaves P is not shown. Green when focused, else white.
AfOverlayPlan fujiAfOverlay(const FujiAfState& state, const AfOverlayGeometry& geometry);
