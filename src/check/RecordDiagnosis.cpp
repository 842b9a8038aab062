#include "check/RecordDiagnosis.h"

#include <string_view>

#include "standard/StandardCacheLayout.h"
#include "check/LineNumbers.h"
#include "personality/KeywordReaders.h"
#include "personality/OutputCursor.h"

namespace hoardwright::check {
namespace {

constexpr std::string_view kMissingKeywordPrefix = "error - couldn't find keyword ";
constexpr std::size_t kBlockLineLimit = 120;

using BlockReader = bool (*)(personality::LineStream&, personality::OutputCursor&,
                             support::Reporter&, std::string_view, std::string_view, std::size_t,
                             personality::SectionMode);

struct Family {
  BlockReader reader;
  std::string_view start;
  std::string_view end;
};

std::string_view ColumnKind(int column) {
  switch (column) {
    case 3:
    case 7:
    case 8: return "a character";
    case 10: return "the name";
    default: return "a number";
  }
}

class Diagnosis {
 public:
  Diagnosis(personality::LineStream& stream, bool tableIndexEntries)
      : stream_(stream),
        lines_(stream.Content()),
        tableIndexEntries_(tableIndexEntries),
        buffer_(standard::kBlockBufferSize),
        cursor_(buffer_) {}

  std::vector<Finding> Run(std::size_t start) {
    Walk(start);
    // A count past its byte: the compilers refuse the record, as the reader that met it said.
    if (const auto& refusal = cursor_.Refusal()) {
      Add(Finding::Severity::LeftOut, refusal->line, 0, refusal->reason);
    }
    return std::move(findings_);
  }

 private:
  void Walk(std::size_t start) {
    stream_.Seek(start);
    searchFrom_ = start;
    if (!Step(personality::ReadType(stream_, cursor_, reporter_))) return;
    const std::size_t afterType = stream_.Tell();
    if (!personality::ReadMirror(stream_, cursor_, reporter_)) stream_.Seek(afterType);
    searchFrom_ = stream_.Tell();
    if (!Section("DEVICEADDRESS", "DAEND", 159)) return;
    if (!Step(personality::ReadDmxLimits(stream_, cursor_, reporter_))) return;
    if (!DmxTable()) return;
    if (!Section("TEXT", "END", 21)) return;
    TableIndex(afterType);
    const Family families[] = {{personality::ReadTextSection, "ATTR", "END"},
                               {personality::ReadCompactBlock, "RANGE", "REND"},
                               {personality::ReadCompactBlock, "PFTABLE", "PFEND"},
                               {personality::ReadCompactBlock, "MACRO", "MEND"}};
    for (const Family& family : families) Blocks(family, afterType);
    stream_.Seek(afterType);
  }

  void Add(Finding::Severity severity, std::size_t line, std::size_t column, std::string message) {
    findings_.push_back(Finding{severity, line, column, std::move(message)});
  }

  // A reader's result; a missing keyword it reported becomes a finding with the line after which
  // the search found nothing.
  bool Step(bool ok) {
    if (ok) {
      reporter_.messages.clear();
      searchFrom_ = stream_.Tell();
      return true;
    }
    for (const support::ReportedMessage& message : reporter_.messages) {
      if (!message.text.starts_with(kMissingKeywordPrefix)) continue;
      const std::string keyword = message.text.substr(kMissingKeywordPrefix.size());
      const std::size_t after = lines_.LineBefore(SearchStart(keyword));
      std::string text = MissingKeywordMessage(keyword);
      text += after == 0 ? ": no line starts with it"
                         : ": no line starts with it after line " + std::to_string(after);
      Add(Finding::Severity::LeftOut, after, 0, std::move(text));
    }
    reporter_.messages.clear();
    return false;
  }

  // Where the failed search for `keyword` began: the DMX limits are searched one after the
  // other, each after the line of the one before.
  std::size_t SearchStart(std::string_view keyword) {
    std::size_t from = searchFrom_;
    for (const std::string_view earlier : {"MINDMX=", "MAXDMX="}) {
      if (keyword == earlier || (keyword != "MAXDMX=" && keyword != "DIVBY=")) break;
      const auto at = LocateKeyword(stream_, from, earlier);
      if (!at) break;
      const std::size_t saved = stream_.Tell();
      stream_.Seek(*at);
      std::string_view line;
      stream_.ReadLine(line);
      from = stream_.Tell();
      stream_.Seek(saved);
    }
    return from;
  }

  // After a reader took a section or block from `from`: a warning when it ran to the end of the
  // file without its end line.
  void CheckEnded(std::size_t from, std::string_view start, std::string_view end,
                  std::string_view what) {
    const std::size_t after = stream_.Tell();
    const auto startAt = LocateKeyword(stream_, from, start);
    if (!startAt) return;
    if (LineEndingAt(stream_, after).starts_with(end)) return;
    const std::size_t line = lines_.LineAt(*startAt);
    Add(Finding::Severity::Warning, line, 0,
        std::string(what) + " at line " + std::to_string(line) + " has no " + std::string(end) +
            " line: it takes every following line of the file");
  }

  bool Section(std::string_view start, std::string_view end, std::size_t limit) {
    const std::size_t from = stream_.Tell();
    const bool ok = personality::ReadTextSection(stream_, cursor_, reporter_, start, end, limit,
                                                 personality::SectionMode::Section);
    if (ok) CheckEnded(from, start, end, std::string(start) + " section");
    return Step(ok);
  }

  bool DmxTable() {
    const std::size_t from = stream_.Tell();
    const bool ok = personality::ReadDmxTable(stream_, cursor_, reporter_);
    if (ok) {
      CheckEnded(from, "DMX", "END", "DMX section");
      return Step(true);
    }
    if (!reporter_.messages.empty() || cursor_.Overflowed()) return Step(false);
    // The reader stopped right after the channel line it could not read.
    const std::size_t after = stream_.Tell();
    const std::size_t line = lines_.LineBefore(after);
    const int column = personality::ChannelLineFaultColumn(LineEndingAt(stream_, after));
    std::string text = "malformed DMX channel line " + std::to_string(line) + ": ";
    text += column == 10 ? std::string("the name in column 10 has no closing quote")
                         : "column " + std::to_string(column) + " (" +
                               std::string(ColumnKind(column)) + ") is missing";
    Add(Finding::Severity::LeftOut, line, static_cast<std::size_t>(column), std::move(text));
    return false;
  }

  void TableIndex(std::size_t afterType) {
    stream_.Seek(afterType);
    const bool ok = personality::WriteTableIndex(stream_, cursor_, reporter_, !tableIndexEntries_,
                                                 !tableIndexEntries_);
    if (!ok && !cursor_.Overflowed()) {
      const std::size_t line = lines_.LineBefore(stream_.Tell());
      Add(Finding::Severity::Warning, line, 0,
          "preset focus row at line " + std::to_string(line) +
              " has no closing quote: the table index stops there, without its end byte");
    }
    stream_.Seek(afterType);
  }

  void Blocks(const Family& family, std::size_t afterType) {
    stream_.Seek(afterType);
    for (;;) {
      const std::size_t from = stream_.Tell();
      if (!family.reader(stream_, cursor_, reporter_, family.start, family.end, kBlockLineLimit,
                         personality::SectionMode::Block)) {
        break;
      }
      CheckEnded(from, family.start, family.end, std::string(family.start) + " block");
    }
    reporter_.messages.clear();
  }

  personality::LineStream& stream_;
  LineNumbers lines_;
  bool tableIndexEntries_;
  std::vector<std::uint8_t> buffer_;
  personality::OutputCursor cursor_;
  support::CollectingReporter reporter_;
  std::size_t searchFrom_ = 0;
  std::vector<Finding> findings_;
};

}  // namespace

std::string MissingKeywordMessage(std::string_view keyword) {
  return "missing keyword " + std::string(keyword);
}

std::vector<Finding> DiagnoseRecord(personality::LineStream& stream, std::size_t start,
                                    bool tableIndexEntries) {
  Diagnosis diagnosis(stream, tableIndexEntries);
  return diagnosis.Run(start);
}

}  // namespace hoardwright::check
