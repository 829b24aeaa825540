#pragma once
// A one-line summary of the shown picture's exposure over the image area (shutter speed, aperture, ISO, exposure
// compensation when there is any, focal length, size) in white text, followed by the metering-mode and
// white-balance icons as the camera's own property icons draw them. Its contents are rebuilt from scratch for each
// picture; the view keeps its origin and height and takes the width of what it shows.
//
// setExif may be called from any thread (the rebuild then happens on the main queue); the rest is main thread only.
#include <QLabel>
#include <memory>

#include "icons/properties/property_visual.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/view.h"

class Exif;
namespace platform {
class ImageView;
}

class ExifView : public platform::View {
 public:
  // The view of an interface file.
  explicit ExifView(QWidget* parent = nullptr);
  // initWithExif: a view of 200 x 24 showing the object.
  explicit ExifView(std::shared_ptr<Exif> exif, QWidget* parent = nullptr);

  void setExif(std::shared_ptr<Exif> exif);
  const std::shared_ptr<Exif>& exif() const { return mExif; }
  // The rebuild.
  void populateValues();

  // What shows (null or none when empty): the text field, the two icon views and the icons they were given.
  QLabel* textField() const { return mTextField; }
  platform::ImageView* meteringView() const { return mMeteringView; }
  platform::ImageView* whiteBalanceView() const { return mWhiteBalanceView; }
  const icons::PropertyVisual& meteringVisual() const { return mMeteringVisual; }
  const icons::PropertyVisual& whiteBalanceVisual() const { return mWhiteBalanceVisual; }

 private:
  std::shared_ptr<Exif> mExif;
  QLabel* mTextField = nullptr;
  platform::ImageView* mMeteringView = nullptr;
  platform::ImageView* mWhiteBalanceView = nullptr;
  icons::PropertyVisual mMeteringVisual;
  icons::PropertyVisual mWhiteBalanceVisual;
};
