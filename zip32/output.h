// A buffered writer for the archive being made, which can go back and patch
// a local header once a file's sizes are known.
#pragma once
#include <windows.h>

#include "zip32/zipformat.h"

namespace zip32 {

class Output {
public:
  Output(HANDLE h, std::string name) : h_(h), name_(std::move(name)) { buf_.reserve(kBuffer); }
  void Write(const void *data, std::size_t n);
  void Write(const Bytes &b) { Write(b.data(), b.size()); }
  void Patch(std::uint64_t at, const Bytes &b);
  void Truncate(std::uint64_t at);
  void Flush();
  std::uint64_t Position() const { return pos_; }

private:
  static constexpr std::size_t kBuffer = 1 << 20;
  void Seek(std::uint64_t at);
  [[noreturn]] void Fail();
  HANDLE h_;
  std::string name_;
  Bytes buf_;
  std::uint64_t pos_ = 0; // logical end, buffer included
};

} // namespace zip32
