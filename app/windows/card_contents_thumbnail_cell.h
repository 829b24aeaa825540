#pragma once
// One item of the card browser's grid: the thumbnail fitted into the upper part, the file name below it, and a
// border while selected. A double click sends "collectionItemViewDoubleClick" up the responder chain (to the
// browser, which shows the picture); a single click selects as the grid does.
#include <QImage>
#include <QString>
#include <memory>
#include <string>

#include "platform/ui/collection_view.h"

class PtpObjectInfoClass;

class CardContentsThumbnailCell : public platform::CollectionViewItem {
 public:
  static constexpr const char* kIdentifier = "CardContentsThumbnailCell";
  // The thumbnail's box and the item's size in the grid.
  static constexpr double kThumbnailWidth = 160;
  static constexpr double kThumbnailHeight = 120;
  static constexpr double kItemWidth = 176;
  static constexpr double kItemHeight = 152;

  // The grid's layout for these items: rows of them with a small margin.
  static platform::CollectionViewFlowLayout gridLayout();

  void setThumbnailImage(const QImage& image);
  void setFileName(const QString& name);
  void setObjectInfo(std::shared_ptr<const PtpObjectInfoClass> objectInfo) { objectInfo_ = std::move(objectInfo); }
  void setFullImagePath(std::string path) { fullImagePath_ = std::move(path); }

  const QImage& thumbnailImage() const { return image_; }
  const QString& fileName() const { return name_; }
  const std::shared_ptr<const PtpObjectInfoClass>& objectInfo() const { return objectInfo_; }
  const std::string& fullImagePath() const { return fullImagePath_; }

  void setSelected(bool selected) override;

 protected:
  void loadView() override;
  void prepareForReuse() override;
  void mouseDown(QMouseEvent* event, int clickCount) override;

 private:
  class CellView;
  CellView* cellView();

  QImage image_;
  QString name_;
  std::shared_ptr<const PtpObjectInfoClass> objectInfo_;
  std::string fullImagePath_;
};
