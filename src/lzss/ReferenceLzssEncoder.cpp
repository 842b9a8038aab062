#include "lzss/ReferenceLzssEncoder.h"

namespace hoardwright::lzss {

void ReferenceLzssEncoder::Encode(ByteSource& input, BitFile& output) {
  window_.fill(0);
  tree_.Clear();

  int lookAhead = 0;
  for (; lookAhead < kLookAheadSize; ++lookAhead) {
    const int byte = input.Get();
    if (byte == kEndOfInput) break;
    window_[kStartPosition + lookAhead] = static_cast<std::uint8_t>(byte);
  }

  if (lookAhead > 0) {
    tree_.Start(kStartPosition);
    int current = kStartPosition;
    int matchLength = 0;
    int matchPosition = 0;
    while (lookAhead > 0 && !output.WriteFailed()) {
      if (matchLength > lookAhead) matchLength = lookAhead;
      int advance = 1;
      if (matchLength <= kBreakEven) {
        output.OutputBit(true);
        output.OutputBits(window_[current], 8);
      } else {
        output.OutputBit(false);
        output.OutputBits(static_cast<std::uint32_t>(matchPosition), kPositionBits);
        output.OutputBits(static_cast<std::uint32_t>(matchLength - (kBreakEven + 1)), kLengthBits);
        advance = matchLength;
      }
      for (int step = 0; step < advance; ++step) {
        // The position leaving the look-ahead's far end takes the next input byte.
        const int incoming = WrapPosition(current + kLookAheadSize);
        tree_.Remove(incoming);
        const int byte = input.Get();
        if (byte == kEndOfInput) {
          --lookAhead;
        } else {
          window_[incoming] = static_cast<std::uint8_t>(byte);
        }
        current = WrapPosition(current + 1);
        if (lookAhead != 0) matchLength = tree_.InsertAndMatch(current, window_, matchPosition);
      }
    }
  }

  output.OutputBit(false);
  output.OutputBits(kEndOfStream, kPositionBits);
}

}  // namespace hoardwright::lzss
