#include "personality/OutputCursor.h"

#include <algorithm>
#include <utility>

namespace hoardwright::personality {

bool OutputCursor::SetPosition(std::size_t position) {
  if (position > buffer_.size()) return Refuse();
  position_ = position;
  return true;
}

bool OutputCursor::Advance(std::size_t count) {
  if (count > Remaining()) return Refuse();
  position_ += count;
  return true;
}

bool OutputCursor::PutByte(std::uint8_t value) {
  if (Remaining() < 1) return Refuse();
  buffer_[position_++] = value;
  return true;
}

bool OutputCursor::PutWord(std::uint16_t value) {
  if (Remaining() < 2) return Refuse();
  buffer_[position_++] = static_cast<std::uint8_t>(value >> 8);
  buffer_[position_++] = static_cast<std::uint8_t>(value & 0xFF);
  return true;
}

bool OutputCursor::PutBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > Remaining()) return Refuse();
  std::ranges::copy(bytes, buffer_.begin() + static_cast<std::ptrdiff_t>(position_));
  position_ += bytes.size();
  return true;
}

bool OutputCursor::PutString(std::string_view text) {
  if (text.size() + 1 > Remaining()) return Refuse();
  for (char c : text) buffer_[position_++] = static_cast<std::uint8_t>(c);
  buffer_[position_++] = 0;
  return true;
}

bool OutputCursor::SetByteAt(std::size_t offset, std::uint8_t value) {
  if (offset >= buffer_.size()) return Refuse();
  buffer_[offset] = value;
  return true;
}

std::optional<std::uint8_t> OutputCursor::ByteAt(std::size_t offset) const {
  if (offset >= buffer_.size()) return std::nullopt;
  return buffer_[offset];
}

bool OutputCursor::RefuseRecord(std::string reason, std::size_t line) {
  if (!refusal_) refusal_ = RecordRefusal{line, std::move(reason)};
  return Refuse();
}

std::optional<std::uint8_t> OutputCursor::ByteBefore() const {
  if (position_ == 0) return std::nullopt;
  return buffer_[position_ - 1];
}

}  // namespace hoardwright::personality
