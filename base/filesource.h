// A file opened for reading as a byte source. Reads name their position, so
// the handle's own file pointer is never relied on.
#pragma once
#include "base/bytes.h"
#include "base/handle.h"

namespace satchel {

class FileSource final : public ByteSource {
public:
  FileSource() = default;
  // Takes an open handle (or an invalid one) and learns its size.
  explicit FileSource(UniqueFile file);
  bool IsOpen() const { return bool(file_); }
  HANDLE Handle() const { return file_.get(); }
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t pos, void *buf, std::uint32_t len) const override;

private:
  UniqueFile file_;
  std::uint64_t size_ = 0;
};

} // namespace satchel
