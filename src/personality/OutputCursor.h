#pragma once
// The write position every keyword reader and shape compiler appends at: a bounded writer over a
// buffer the caller owns. A write that would pass the end fails and writes nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hoardwright::personality {

// Why a record was refused although it fits the buffer: it cannot be represented (a count past
// its byte, a length past its field).
struct RecordRefusal {
  std::size_t line = 0;  // the personality line of the section at fault; 0 when none
  std::string reason;    // "the TEXT section at line 15 has more than 255 lines; ..."
};

class OutputCursor {
 public:
  explicit OutputCursor(std::span<std::uint8_t> buffer) : buffer_(buffer) {}

  std::size_t Position() const { return position_; }
  std::size_t Capacity() const { return buffer_.size(); }
  std::size_t Remaining() const { return buffer_.size() - position_; }
  // Moves the write position; fails beyond the buffer's end.
  bool SetPosition(std::size_t position);
  bool Advance(std::size_t count);

  bool PutByte(std::uint8_t value);
  // A word value: the low 16 bits, most significant byte first.
  bool PutWord(std::uint16_t value);
  bool PutBytes(std::span<const std::uint8_t> bytes);
  // The characters followed by one NUL byte.
  bool PutString(std::string_view text);
  // Overwrites an already reserved byte (a count byte, say); `offset` is absolute.
  bool SetByteAt(std::size_t offset, std::uint8_t value);
  std::optional<std::uint8_t> ByteAt(std::size_t offset) const;
  // The byte just before the write position, if there is one.
  std::optional<std::uint8_t> ByteBefore() const;

  // Everything from the buffer's start to the write position.
  std::span<const std::uint8_t> Written() const { return buffer_.first(position_); }
  std::span<std::uint8_t> Buffer() const { return buffer_; }

  // True once any write or move was refused for lack of room, or the record was refused, so a
  // caller can tell a record that cannot be written from a reader's ordinary "not found". Stays
  // set until ClearOverflow().
  bool Overflowed() const { return overflowed_; }
  void ClearOverflow() {
    overflowed_ = false;
    refusal_.reset();
  }

  // Refuses the record being written because it cannot be represented; returns false. The first
  // reason given is kept. Overflowed() is set, so readers stop as they do at the buffer's end.
  bool RefuseRecord(std::string reason, std::size_t line = 0);
  // The reason, when a reader refused the record; none when the buffer merely filled up.
  const std::optional<RecordRefusal>& Refusal() const { return refusal_; }

 private:
  bool Refuse() {
    overflowed_ = true;
    return false;
  }

  std::span<std::uint8_t> buffer_;
  std::size_t position_ = 0;
  bool overflowed_ = false;
  std::optional<RecordRefusal> refusal_;
};

}  // namespace hoardwright::personality
