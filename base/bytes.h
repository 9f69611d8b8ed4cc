// Reading bytes that come from outside (an archive nobody checked) through
// one small interface, so the readers built on it are the same code on
// Windows and in the native fuzzing build. Nothing here includes windows.h.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

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

// Serves small reads from a window read ahead of them: walking thousands of
// headers in order then costs a few large reads instead of one each.
class ReadAhead final : public ByteSource {
public:
  explicit ReadAhead(const ByteSource &source, std::uint32_t window = 1u << 18) : source_(source), buf_(window) {}
  std::uint64_t Size() const override { return source_.Size(); }
  bool ReadAt(std::uint64_t pos, void *buf, std::uint32_t len) const override {
    std::uint64_t size = source_.Size();
    if (pos > size || len > size - pos)
      return false;
    if (len > buf_.size())
      return source_.ReadAt(pos, buf, len);
    if (!have_ || pos < at_ || pos + len > at_ + got_) {
      std::uint64_t left = size - pos;
      got_ = std::uint32_t(left < buf_.size() ? left : buf_.size());
      at_ = pos;
      have_ = source_.ReadAt(at_, buf_.data(), got_);
      if (!have_)
        return false;
    }
    if (len)
      std::memcpy(buf, buf_.data() + (pos - at_), len);
    return true;
  }

private:
  const ByteSource &source_;
  mutable std::vector<std::uint8_t> buf_;
  mutable std::uint64_t at_ = 0;
  mutable std::uint32_t got_ = 0;
  mutable bool have_ = false;
};

} // namespace satchel
