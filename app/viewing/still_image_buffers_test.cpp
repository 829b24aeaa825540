// The kept blocks of photo-sized pictures: a block comes back only when the last copy of its picture is let go,
// serves the next picture of a size it fits, at most two are kept, and small pictures use ordinary memory.
#include <gtest/gtest.h>

#include <QImage>
#include <thread>

#include "app/viewing/still_image_buffers.h"

namespace {

using still_buffers::idleBlocks;
using still_buffers::pictureBuffer;

TEST(StillImageBuffers, ABlockReturnsWithTheLastCopyAndServesTheNextPictureOfItsSize) {
  still_buffers::dropIdleBlocks();
  const int startIdle = idleBlocks();
  const uchar* bits = nullptr;
  {
    QImage picture = pictureBuffer(3000, 2000, QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull());
    picture.fill(Qt::red);
    bits = picture.constBits();
    QImage copy = picture;  // a second holder, let go on another thread
    picture = QImage();
    EXPECT_EQ(idleBlocks(), startIdle) << "still held by the copy";
    std::thread([copy = std::move(copy)]() mutable { copy = QImage(); }).join();
  }
  EXPECT_EQ(idleBlocks(), startIdle + 1);
  const QImage next = pictureBuffer(3000, 2000, QImage::Format_ARGB32_Premultiplied);
  EXPECT_EQ(next.constBits(), bits) << "the same memory, whatever the 32-bit format";
  EXPECT_EQ(idleBlocks(), startIdle);
  const QImage larger = pictureBuffer(4000, 3000, QImage::Format_RGB32);
  EXPECT_NE(larger.constBits(), bits);
  EXPECT_EQ(larger.bytesPerLine(), 4000 * 4);
}

TEST(StillImageBuffers, AtMostTwoBlocksAreKeptAndSmallPicturesAreOrdinary) {
  still_buffers::dropIdleBlocks();
  {
    QImage a = pictureBuffer(2500, 2000, QImage::Format_RGB32);
    QImage b = pictureBuffer(2500, 2000, QImage::Format_RGB32);
    QImage c = pictureBuffer(2500, 2000, QImage::Format_RGB32);
  }
  EXPECT_EQ(idleBlocks(), 2);
  const int before = idleBlocks();
  { QImage small = pictureBuffer(640, 480, QImage::Format_RGB32); }
  EXPECT_EQ(idleBlocks(), before);
  EXPECT_TRUE(pictureBuffer(0, 10, QImage::Format_RGB32).isNull());
}

}  // namespace
