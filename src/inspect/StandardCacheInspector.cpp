// The standard cache: header, index records, the compressed stream behind them, and the shape
// library and personality blocks inside the decoded stream.
#include <algorithm>

#include "inspect/CacheInspector.h"
#include "inspect/DisjointExtents.h"
#include "inspect/TextFormat.h"

namespace hoardwright::inspect {
namespace {

// The owner of the shape block among the claimed extents of the stream.
constexpr std::size_t kShapeOwner = static_cast<std::size_t>(-1);

std::string Bytes(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

class StandardInspection {
 public:
  StandardInspection(std::span<const std::uint8_t> file, InspectReport& report)
      : file_(file), report_(report), cache_(report.standard.emplace()) {}

  void Run() {
    if (!Header() || !Index() || !Stream()) return;
    ShapeLibrary();
    Personalities();
  }

 private:
  void Add(std::string section, std::optional<std::size_t> record, OffsetSpace space,
           std::uint64_t offset, std::string message) {
    report_.problems.push_back(
        Problem{std::move(section), record, space, 0, offset, std::move(message)});
  }
  std::string FileEnd() const { return "the file ends after " + Bytes(file_.size()); }

  bool Header() {
    cache_.header = standard::DecodeHeader(file_);
    if (!cache_.header) {
      Add("header", std::nullopt, OffsetSpace::File, file_.size(),
          FileEnd() + ", inside the " + std::to_string(standard::kHeaderSize) + "-byte header");
      return false;
    }
    return true;
  }

  bool Index() {
    const std::size_t count = cache_.header->recordCount;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = standard::kHeaderSize + i * standard::kIndexRecordSize;
      const auto record = standard::DecodeIndexRecord(file_.subspan(std::min(at, file_.size())));
      if (!record) {
        Add("index", i, OffsetSpace::File, file_.size(),
            FileEnd() + ", inside index record " + std::to_string(i) + " of " +
                std::to_string(count));
        return false;
      }
      cache_.index.push_back(*record);
      FieldWarnings(i, at);
    }
    return true;
  }

  // The code and device fields as a build writes them: the text, then zeros.
  void FieldWarnings(std::size_t i, std::size_t at) {
    const std::pair<const char*, std::pair<std::size_t, std::size_t>> fields[] = {
        {"code", {standard::kCodeOffset, standard::kCodeSize}},
        {"device text", {standard::kDeviceOffset, standard::kDeviceFieldSize}}};
    for (const auto& [name, place] : fields) {
      const auto field = file_.subspan(at + place.first, place.second);
      const std::size_t longest = place.first == standard::kCodeOffset
                                      ? standard::kCodeSize
                                      : standard::kMaxDeviceTextLength;
      if (const auto warning = TextFieldWarning(field, longest, name)) {
        report_.warnings.push_back(Problem{"index", i, OffsetSpace::File, 0,
                                           at + place.first + warning->offset, warning->message});
      }
    }
  }

  bool Stream() {
    const std::size_t count = cache_.index.size();
    const std::size_t sumAt = standard::SumOffset(count);
    const std::uint64_t expected = std::uint64_t{cache_.header->streamLengthMinus1} + 1;
    if (file_.size() < standard::CompressedStreamOffset(count)) {
      Add("compressed stream", std::nullopt, OffsetSpace::File, file_.size(),
          FileEnd() + ", inside the stream's " + std::to_string(standard::kSumSize) + "-byte sum");
      return false;
    }
    // The shape block and the blocks the index can describe bound the stream, whatever the
    // header says; a valid stream is far below kMaxStreamSize.
    const std::uint64_t most =
        std::min<std::uint64_t>(standard::kMaxBlockLength + 1 + count * standard::kMaxBlockLength,
                                kMaxStreamSize);
    if (expected > most) {
      Add("header", std::nullopt, OffsetSpace::File, standard::kStreamLengthOffset,
          "the header gives a stream of " + Bytes(expected) + "; the shape block and " +
              std::to_string(count) + " index records hold at most " + Bytes(most));
    }
    const std::uint64_t decoded = std::min(expected, most);
    // More is damage; stop one byte past it.
    cache_.stream = CheckUnit(file_.subspan(sumAt), sumAt, static_cast<std::size_t>(decoded + 1));
    const UnitCheck& unit = *cache_.stream;
    if (unit.overLimit) {
      Add("compressed stream", std::nullopt, OffsetSpace::File, sumAt,
          "the stream decodes to more than the " + Bytes(decoded) +
              (decoded == expected ? " the header gives" : " it can hold"));
    } else if (!unit.complete) {
      Add("compressed stream", std::nullopt, OffsetSpace::File, file_.size(),
          FileEnd() + " before the compressed stream's end-of-stream token (" +
              Bytes(unit.data.size()) + " decoded of the " + std::to_string(expected) +
              " the header gives)");
    } else {
      if (!unit.sumMatches) {
        Add("compressed stream", std::nullopt, OffsetSpace::File, sumAt,
            "stored sum " + HexWord32(unit.storedSum) +
                " differs from the sum of the decoded bytes " + HexWord32(unit.actualSum));
      }
      if (unit.data.size() != expected) {
        Add("header", std::nullopt, OffsetSpace::File, standard::kStreamLengthOffset,
            "the header gives a stream of " + Bytes(expected) +
                "; the compressed stream decodes to " + Bytes(unit.data.size()));
      }
      if (unit.TrailingBytes() > 0) {
        Add("compressed stream", std::nullopt, OffsetSpace::File, sumAt + unit.used,
            Bytes(unit.TrailingBytes()) + " follow the end-of-stream token");
      }
    }
    return true;
  }

  void ShapeLibrary() {
    const auto& data = cache_.stream->data;
    cache_.shapeLength = std::uint64_t{cache_.header->shapeLengthMinus1} + 1;
    if (cache_.shapeLength > data.size()) {
      Add("header", std::nullopt, OffsetSpace::File, standard::kShapeLengthOffset,
          "the shape block of " + Bytes(cache_.shapeLength) + " runs past the decoded stream's " +
              Bytes(data.size()));
      return;
    }
    cache_.shapeLibrary = WalkShapeLibrary(std::span(data).first(cache_.shapeLength));
    if (const auto& fault = cache_.shapeLibrary->fault) {
      Add("shape library", std::nullopt, OffsetSpace::Stream, fault->offset, fault->message);
    }
  }

  void Personalities() {
    const auto& data = cache_.stream->data;
    std::uint64_t expectedStart = cache_.shapeLength;
    DisjointExtents claimed;
    claimed.Claim(0, std::min<std::uint64_t>(cache_.shapeLength, data.size()), kShapeOwner);
    for (std::size_t i = 0; i < cache_.index.size(); ++i) {
      const standard::IndexRecord& record = cache_.index[i];
      PersonalityView view;
      view.number = i;
      view.device = record.deviceText;
      view.code = record.code;
      view.offset = record.blockOffset;
      view.length = record.blockLength;
      const std::uint64_t fieldAt =
          standard::kHeaderSize + i * standard::kIndexRecordSize + standard::kBlockOffsetOffset;
      const std::uint64_t end = view.offset + view.length;
      const bool inside = end <= data.size();
      const auto overlapped = inside ? claimed.Claim(view.offset, end, i) : std::nullopt;
      if (overlapped) {
        Add("index", i, OffsetSpace::File, fieldAt,
            "the block at stream offset " + std::to_string(view.offset) + " of " +
                Bytes(view.length) + " overlaps " +
                (*overlapped == kShapeOwner
                     ? std::string("the shape block")
                     : "the block of index record " + std::to_string(*overlapped)));
      } else if (view.offset != expectedStart) {
        Add("index", i, OffsetSpace::File, fieldAt,
            "the block starts at stream offset " + std::to_string(view.offset) +
                "; the block before it ends at " + std::to_string(expectedStart));
      }
      expectedStart = end;
      if (!inside) {
        Add("index", i, OffsetSpace::File, fieldAt,
            "the block at stream offset " + std::to_string(view.offset) + " of " +
                Bytes(view.length) + " runs past the decoded stream's " + Bytes(data.size()));
      } else if (overlapped) {
        view.access = RecordAccess::Overlapping;
      } else {
        // Walked here for its faults and summary, and in full only where it is shown.
        view.summary =
            SummarizePersonalityRecord(std::span(data).subspan(view.offset, view.length));
        if (const auto& fault = view.summary->fault) {
          Add("personality record", i, OffsetSpace::Stream, view.offset + fault->offset,
              fault->field + ": " + fault->message);
        }
        view.access = RecordAccess::Walked;
      }
      cache_.personalities.push_back(std::move(view));
    }
    const bool streamWhole = cache_.stream->complete && !cache_.stream->overLimit;
    if (streamWhole && expectedStart < data.size()) {
      Add("compressed stream", std::nullopt, OffsetSpace::Stream, expectedStart,
          Bytes(data.size() - expectedStart) + " of the decoded stream follow the last block");
    }
  }

  std::span<const std::uint8_t> file_;
  InspectReport& report_;
  StandardReport& cache_;
};

}  // namespace

void InspectStandardCache(std::span<const std::uint8_t> file, InspectReport& report) {
  StandardInspection(file, report).Run();
}

}  // namespace hoardwright::inspect
