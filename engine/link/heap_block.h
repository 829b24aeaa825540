#pragma once
// An owned block of bytes handed from the engine to a caller, who owns it from then on (dropping it frees it).
// Headers are stripped by moving the block's start, never by copying its bytes: a 4 MiB image passes through the
// link and container layers without a copy.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

class HeapBlock {
public:
    HeapBlock() = default;
    HeapBlock(HeapBlock&& other) noexcept { *this = std::move(other); }
    HeapBlock& operator=(HeapBlock&& other) noexcept {
        if (this != &other) {
            mem_ = std::move(other.mem_);
            start_ = other.start_;
            size_ = other.size_;
            other.start_ = 0;
            other.size_ = 0;
        }
        return *this;
    }
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;

    // A block of `size` bytes, not initialised; an empty block (no storage) when the allocation fails.
    static HeapBlock allocate(size_t size) {
        HeapBlock b;
        b.mem_.reset(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
        if (b.mem_) b.size_ = size;
        return b;
    }
    static HeapBlock copyOf(const void* bytes, size_t size) {
        HeapBlock b = allocate(size);
        if (b.mem_ && size > 0) std::memcpy(b.mem_.get(), bytes, size);
        return b;
    }
    static HeapBlock copyOf(const std::vector<uint8_t>& bytes) { return copyOf(bytes.data(), bytes.size()); }

    // True when the block has storage (a block of length 0 may still have storage).
    explicit operator bool() const { return mem_ != nullptr; }
    bool empty() const { return size_ == 0; }
    size_t size() const { return size_; }
    uint8_t* data() { return mem_ ? mem_.get() + start_ : nullptr; }
    const uint8_t* data() const { return mem_ ? mem_.get() + start_ : nullptr; }
    uint8_t* begin() { return data(); }
    uint8_t* end() { return data() + size_; }
    const uint8_t* begin() const { return data(); }
    const uint8_t* end() const { return data() + size_; }
    uint8_t& operator[](size_t i) { return data()[i]; }
    const uint8_t& operator[](size_t i) const { return data()[i]; }

    // Drops the first n bytes (at most all of them): what was at offset n is now at offset 0.
    void dropFront(size_t n) {
        if (n > size_) n = size_;
        start_ += n;
        size_ -= n;
    }
    // Keeps at most the first n bytes.
    void truncate(size_t n) {
        if (n < size_) size_ = n;
    }
    void reset() { *this = HeapBlock(); }
    std::vector<uint8_t> toVector() const { return std::vector<uint8_t>(begin(), end()); }

private:
    std::unique_ptr<uint8_t[]> mem_;
    size_t start_ = 0;
    size_t size_ = 0;
};
