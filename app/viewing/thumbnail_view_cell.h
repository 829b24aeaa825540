#pragma once
// One thumbnail of the camera window's strip (and of the card browser's grid): the picture fitted into the item
// and turned by its EXIF orientation, a yellow border while selected, the file name along the picture's bottom
// edge, a format badge in its top-right corner and a place for rating stars.
//
// The turn is applied 0.01 s after each layout by a main-thread timer on the widgets' time source, so a test
// with a manual clock decides when it lands. Main thread only (setSelected from elsewhere is queued there).
#include <QImage>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/collection_view.h"
#include "platform/ui/time_source.h"

class AdjustableFontSizeTextField;
class ColorView;
class PtpObjectInfoClass;
struct PtpObjectInfoStruct;
namespace platform {
class ImageView;
class View;
}  // namespace platform

class ThumbnailViewCell : public platform::CollectionViewItem {
 public:
  static constexpr const char* kIdentifier = "MainThumbnailCell";
  // The seconds between a layout and the turn of the picture.
  static constexpr double kTurnDelay = 0.01;
  // The room the picture leaves on each side of the item (the selection border lies in it).
  static constexpr double kPictureMargin = 5;

  // The item size in which a picture of the given size shows unscaled.
  static platform::Size itemSizeForPicture(platform::Size picture) {
    return {picture.width + 2 * kPictureMargin, picture.height + 2 * kPictureMargin};
  }

  enum class Badge { None, Raw, Tiff, Movie };

  ThumbnailViewCell();
  ~ThumbnailViewCell() override;

  const QImage& thumbnailImage() const { return mThumbnailImage; }
  // Lays the item out again when the image is not empty.
  void setThumbnailImage(const QImage& image);
  const std::shared_ptr<const PtpObjectInfoClass>& objectInfo() const { return mObjectInfo; }
  // Takes the object's orientation and chooses its badge.
  void setObjectInfo(std::shared_ptr<const PtpObjectInfoClass> object);
  int64_t rating() const { return mRating; }
  // 1 to 5 keeps a stars view on the picture; anything else removes it.
  void setRating(int64_t rating);
  uint8_t orientation() const { return mOrientation; }
  bool showFilename() const { return mShowFilename; }
  void setShowFilename(bool show);
  // Only the card browser sets it.
  const std::string& fullImagePath() const { return mFullImagePath; }
  void setFullImagePath(std::string path) { mFullImagePath = std::move(path); }

  void setSelected(bool selected) override;

  // The badge a format code and file name give (a code of 0 lets the name decide).
  static Badge badgeFor(uint16_t format, const std::string& fileName);
  // The record's file name as its bytes (a name that is not valid text has them too; the strip matches by them).
  static std::string fileNameBytes(const PtpObjectInfoStruct& record);
  // The turn for an EXIF orientation code, in radians anticlockwise (y-up).
  static double rotationAngleFor(uint8_t orientation);

  // --- views, for tests and the window shots ---
  Badge badge() const { return mBadge; }
  platform::ImageView* imageView() const { return mImageView; }
  ColorView* borderView() const { return mBorderBackground; }
  AdjustableFontSizeTextField* fileNameLabel() const { return mFileNameLabel; }
  platform::ImageView* badgeView() const { return mBadgeImageView; }
  platform::View* starsView() const { return mStarsView; }

 protected:
  void loadView() override;
  void viewDidLayout() override;
  void prepareForReuse() override;
  void mouseDown(QMouseEvent* event, int clickCount) override;

 private:
  void loadBadgeImage();
  void applyTurn(double angle);

  QImage mThumbnailImage;
  std::shared_ptr<const PtpObjectInfoClass> mObjectInfo;
  std::string mFullImagePath;
  int64_t mRating = 0;
  uint8_t mOrientation = 0;
  bool mShowFilename = false;
  Badge mBadge = Badge::None;

  platform::ImageView* mImageView = nullptr;
  ColorView* mBorderBackground = nullptr;
  AdjustableFontSizeTextField* mFileNameLabel = nullptr;
  platform::ImageView* mBadgeImageView = nullptr;
  platform::View* mStarsView = nullptr;
  platform::Timer mTurnTimer;
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
};
