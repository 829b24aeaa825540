#include "app/windows/card_contents_thumbnail_cell.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "platform/ui/responder.h"
#include "session/ptp_object_info_class.h"

class CardContentsThumbnailCell::CellView : public QWidget {
 public:
  explicit CellView(CardContentsThumbnailCell* cell) : cell_(cell) { setAttribute(Qt::WA_OpaquePaintEvent, false); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF box((width() - kThumbnailWidth) / 2, 4, kThumbnailWidth, kThumbnailHeight);
    if (cell_->isSelected()) {
      p.fillRect(rect(), QColor(0, 122, 255, 70));
      p.setPen(QPen(QColor(0, 122, 255), 3));
      p.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    const QImage& image = cell_->thumbnailImage();
    if (!image.isNull()) {
      QSizeF fitted = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
      const QRectF target(box.center().x() - fitted.width() / 2, box.center().y() - fitted.height() / 2,
                          fitted.width(), fitted.height());
      p.drawImage(target, image);
    }
    p.setPen(QColor(230, 230, 230));
    QFont font = p.font();
    font.setPointSizeF(11);
    p.setFont(font);
    const QRectF nameBox(4, box.bottom() + 4, width() - 8, height() - box.bottom() - 6);
    const QString elided = QFontMetrics(font).elidedText(cell_->fileName(), Qt::ElideMiddle, int(nameBox.width()));
    p.drawText(nameBox, Qt::AlignHCenter | Qt::AlignTop, elided);
  }

 private:
  CardContentsThumbnailCell* cell_;
};

platform::CollectionViewFlowLayout CardContentsThumbnailCell::gridLayout() {
  platform::CollectionViewFlowLayout layout;
  layout.itemSize = {kItemWidth, kItemHeight};
  layout.minimumInteritemSpacing = 8;
  layout.minimumLineSpacing = 8;
  layout.sectionInset = {8, 8, 8, 8};
  return layout;
}

void CardContentsThumbnailCell::loadView() { setView(new CellView(this)); }

CardContentsThumbnailCell::CellView* CardContentsThumbnailCell::cellView() {
  return static_cast<CellView*>(view());
}

void CardContentsThumbnailCell::setThumbnailImage(const QImage& image) {
  image_ = image;
  cellView()->update();
}

void CardContentsThumbnailCell::setFileName(const QString& name) {
  name_ = name;
  cellView()->update();
}

void CardContentsThumbnailCell::setSelected(bool selected) {
  const bool changed = selected != isSelected();
  CollectionViewItem::setSelected(selected);
  if (changed && isViewLoaded()) view()->update();
}

void CardContentsThumbnailCell::prepareForReuse() {
  image_ = QImage();
  name_.clear();
  objectInfo_.reset();
  fullImagePath_.clear();
}

void CardContentsThumbnailCell::mouseDown(QMouseEvent* event, int clickCount) {
  if (clickCount >= 2) {
    platform::sendAction("collectionItemViewDoubleClick", this, view());
    return;
  }
  CollectionViewItem::mouseDown(event, clickCount);
}
