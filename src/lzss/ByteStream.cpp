#include "lzss/ByteStream.h"

#include <cerrno>

namespace hoardwright::lzss {

bool BoundedMemorySink::Put(std::uint8_t byte) {
  if (bytes_.size() >= limit_) return false;
  bytes_.push_back(byte);
  return true;
}

int FileSource::Get() {
  const int byte = std::getc(file_);
  if (byte == EOF) {
    if (std::ferror(file_) && error_ == 0) error_ = errno != 0 ? errno : EIO;
    return kEndOfInput;
  }
  return byte;
}

bool FileSource::Rewind() {
  std::clearerr(file_);
  return std::fseek(file_, 0, SEEK_SET) == 0;
}

bool FileSink::Put(std::uint8_t byte) {
  errno = 0;
  if (std::putc(byte, file_) != EOF) return true;
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
  return false;
}

int StreamSource::Get() {
  const auto byte = stream_.get();
  if (byte == std::istream::traits_type::eof()) return kEndOfInput;
  return static_cast<std::uint8_t>(byte);
}

bool StreamSource::Rewind() {
  stream_.clear();
  stream_.seekg(0, std::ios::beg);
  return !stream_.fail();
}

bool StreamSink::Put(std::uint8_t byte) {
  stream_.put(static_cast<char>(byte));
  return !stream_.fail();
}

}  // namespace hoardwright::lzss
