#pragma once
// The byte streams the coder reads from and writes to: memory, a std::FILE, an iostream or a
// callback. The coder moves one byte at a time; buffering is the underlying stream's business.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <istream>
#include <ostream>
#include <span>
#include <vector>

namespace hoardwright::lzss {

// Returned by ByteSource::Get at the end of the data (or after a read error).
inline constexpr int kEndOfInput = -1;

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The next byte (0 .. 255), or kEndOfInput.
  virtual int Get() = 0;
  // Back to the first byte; false when the source cannot go back (a pipe, say).
  virtual bool Rewind() = 0;
  // True once a read failed for a reason other than the end of the data.
  virtual bool ReadFailed() const { return false; }
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the byte was not stored.
  virtual bool Put(std::uint8_t byte) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  int Get() override { return position_ < bytes_.size() ? bytes_[position_++] : kEndOfInput; }
  bool Rewind() override {
    position_ = 0;
    return true;
  }
  std::size_t Position() const { return position_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Appends to a vector the caller owns.
class MemorySink final : public ByteSink {
 public:
  explicit MemorySink(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  bool Put(std::uint8_t byte) override {
    bytes_.push_back(byte);
    return true;
  }

 private:
  std::vector<std::uint8_t>& bytes_;
};

// Stores at most `limit` bytes and fails every write after that; lets tests and callers model a
// full disk or cap the output.
class BoundedMemorySink final : public ByteSink {
 public:
  BoundedMemorySink(std::vector<std::uint8_t>& bytes, std::size_t limit)
      : bytes_(bytes), limit_(limit) {}
  bool Put(std::uint8_t byte) override;

 private:
  std::vector<std::uint8_t>& bytes_;
  std::size_t limit_;
};

// Reads an open std::FILE the caller owns and closes.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  int Get() override;
  bool Rewind() override;
  bool ReadFailed() const override { return std::ferror(file_) != 0; }
  // errno of the first failed read, 0 if none.
  int Error() const { return error_; }

 private:
  std::FILE* file_;
  int error_ = 0;
};

// Writes to an open std::FILE the caller owns, flushes and closes.
class FileSink final : public ByteSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  bool Put(std::uint8_t byte) override;
  // errno of the first failed write, 0 if none.
  int Error() const { return error_; }

 private:
  std::FILE* file_;
  int error_ = 0;
};

class StreamSource final : public ByteSource {
 public:
  explicit StreamSource(std::istream& stream) : stream_(stream) {}
  int Get() override;
  bool Rewind() override;
  bool ReadFailed() const override { return stream_.bad(); }

 private:
  std::istream& stream_;
};

class StreamSink final : public ByteSink {
 public:
  explicit StreamSink(std::ostream& stream) : stream_(stream) {}
  bool Put(std::uint8_t byte) override;

 private:
  std::ostream& stream_;
};

// Hands every byte to a function; the function returns false when it could not take the byte.
class CallbackSink final : public ByteSink {
 public:
  explicit CallbackSink(std::function<bool(std::uint8_t)> put) : put_(std::move(put)) {}
  bool Put(std::uint8_t byte) override { return put_(byte); }

 private:
  std::function<bool(std::uint8_t)> put_;
};

}  // namespace hoardwright::lzss
