#include "app/viewing/still_image_buffers.h"

#include <cstdlib>
#include <mutex>
#include <vector>

namespace still_buffers {
namespace {

constexpr size_t kPooledMinimum = 8u << 20;   // smaller pictures use ordinary memory
constexpr size_t kIdleBlocksMaximum = 2;
constexpr size_t kIdleBytesMaximum = 400u << 20;
constexpr size_t kAlignment = 64;

// A block: its capacity in a header of one alignment unit, the pixels after it.
struct Block {
  size_t capacity;
};

uchar* pixelsOf(Block* block) { return reinterpret_cast<uchar*>(block) + kAlignment; }

struct Pool {
  std::mutex mutex;
  std::vector<Block*> idle;
  size_t idleBytes = 0;
};

// Never destroyed: pictures may be let go during the program's exit.
Pool& pool() {
  static Pool* p = new Pool;
  return *p;
}

void releaseBlock(void* info) {
  Block* block = static_cast<Block*>(info);
  Pool& p = pool();
  {
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.idle.size() < kIdleBlocksMaximum && p.idleBytes + block->capacity <= kIdleBytesMaximum) {
      p.idle.push_back(block);
      p.idleBytes += block->capacity;
      return;
    }
  }
  std::free(block);
}

// A kept block of at least `bytes` and at most a quarter more (a far larger one is left for a larger picture).
Block* takeIdleBlock(size_t bytes) {
  Pool& p = pool();
  std::lock_guard<std::mutex> lock(p.mutex);
  for (auto it = p.idle.begin(); it != p.idle.end(); ++it) {
    if ((*it)->capacity >= bytes && (*it)->capacity - bytes <= bytes / 4) {
      Block* block = *it;
      p.idle.erase(it);
      p.idleBytes -= block->capacity;
      return block;
    }
  }
  return nullptr;
}

}  // namespace

QImage pictureBuffer(int width, int height, QImage::Format format) {
  if (width <= 0 || height <= 0) return {};
  const int depth = QImage::toPixelFormat(format).bitsPerPixel();
  const qsizetype bytesPerLine = ((qsizetype(width) * depth + 31) / 32) * 4;
  const size_t bytes = size_t(bytesPerLine) * size_t(height);
  if (bytes < kPooledMinimum) return QImage(width, height, format);
  Block* block = takeIdleBlock(bytes);
  if (!block) {
    void* memory = std::aligned_alloc(kAlignment, (kAlignment + bytes + kAlignment - 1) / kAlignment * kAlignment);
    if (!memory) return {};
    block = static_cast<Block*>(memory);
    block->capacity = bytes;
  }
  return QImage(pixelsOf(block), width, height, bytesPerLine, format, releaseBlock, block);
}

int idleBlocks() {
  std::lock_guard<std::mutex> lock(pool().mutex);
  return int(pool().idle.size());
}

size_t idleBytes() {
  std::lock_guard<std::mutex> lock(pool().mutex);
  return pool().idleBytes;
}

void dropIdleBlocks() {
  std::vector<Block*> idle;
  {
    std::lock_guard<std::mutex> lock(pool().mutex);
    idle.swap(pool().idle);
    pool().idleBytes = 0;
  }
  for (Block* block : idle) std::free(block);
}

}  // namespace still_buffers
