// Reading bytes that come from outside (an archive nobody checked) through
// one small interface, so the readers built on it are the same code on
// Windows and in the native fuzzing build. Nothing here includes windows.h.
#pragma once
#include <cstdint>
#include <cstring>

namespace satchel {

inline std::uint16_t Get16(const std::uint8_t *p) { return std::uint16_t(p[0] | p[1] << 8); }
inline std::uint32_t Get32(const std::uint8_t *p) {
  return std::uint32_t(Get16(p)) | std::uint32_t(Get16(p + 2)) << 16;
}

class ByteSource {
public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Exactly `len` bytes from `pos`; false when any of them lies past the end
  // or cannot be read.
  virtual bool ReadAt(std::uint64_t pos, void *buf, std::uint32_t len) const = 0;
};

// Bytes already in memory; the caller keeps them alive.
class MemorySource final : public ByteSource {
public:
  MemorySource(const void *data, std::size_t size) : data_(static_cast<const std::uint8_t *>(data)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t pos, void *buf, std::uint32_t len) const override {
    if (pos > size_ || len > size_ - pos)
      return false;
    if (len)
      std::memcpy(buf, data_ + pos, len);
    return true;
  }

private:
  const std::uint8_t *data_;
  std::size_t size_;
};

} // namespace satchel
