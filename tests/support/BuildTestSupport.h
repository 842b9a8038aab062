#pragma once
// What the build tests share: a host that records every call, scratch directories, file helpers,
// and a reader that takes a standard cache file apart with the project's own decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "standard/BuildHost.h"
#include "support/Files.h"
#include "standard/StandardCacheLayout.h"
#include "support/TemporaryDirectory.h"
#include "lzss/Lzss.h"
#include "catalogue/ManufacturerTable.h"
#include "ui/MainDialogModel.h"
#include "catalogue/PersonalityScan.h"

namespace hoardwright::testing {

// Every call as one text, in order ("ShowMessage|text|caption", "SetProgressPosition|3", ...).
class RecordingHost : public standard::BuildHost {
 public:
  void ShowMessage(std::string_view text, std::string_view caption) override {
    messages.push_back({std::string(text), std::string(caption)});
    Record("ShowMessage|" + std::string(text) + "|" + std::string(caption));
  }
  standard::DialogResult ShowBuildDetails(standard::BuildDetails& details) override {
    shownDetails = details;
    Record("ShowBuildDetails");
    if (editDetails) editDetails(details);
    return detailsResult;
  }
  void StoreBuildDetails(const standard::BuildDetails& details) override {
    storedDetails = details;
    Record("StoreBuildDetails");
  }
  void RepaintNow() override { Record("RepaintNow"); }
  void DispatchPendingMessages() override {
    Record("DispatchPendingMessages");
    if (onDispatch) onDispatch();
  }
  void SetProgressRange(std::uint32_t maximum) override {
    Record("SetProgressRange|" + std::to_string(maximum));
  }
  void SetProgressPosition(std::uint32_t position) override {
    Record("SetProgressPosition|" + std::to_string(position));
  }
  void ShowProgress(bool visible) override {
    Record(visible ? "ShowProgress|1" : "ShowProgress|0");
  }
  void SetStatusText(std::string_view text) override {
    Record("SetStatusText|" + std::string(text));
  }
  void ShowResult(std::int64_t cacheSize, std::int32_t personalityCount) override {
    resultSize = cacheSize;
    resultCount = personalityCount;
    Record("ShowResult|" + std::to_string(cacheSize) + "|" + std::to_string(personalityCount));
  }

  std::size_t Count(std::string_view prefix) const {
    std::size_t n = 0;
    for (const auto& call : calls) n += call.starts_with(prefix) ? 1 : 0;
    return n;
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
  }

  std::vector<std::string> calls;
  std::vector<support::ReportedMessage> messages;
  standard::DialogResult detailsResult = standard::DialogResult::Ok;
  std::function<void(standard::BuildDetails&)> editDetails;
  std::function<void()> onDispatch;
  std::optional<standard::BuildDetails> shownDetails;
  std::optional<standard::BuildDetails> storedDetails;
  std::optional<std::int64_t> resultSize;
  std::optional<std::int32_t> resultCount;

 private:
  void Record(std::string call) { calls.push_back(std::move(call)); }
};

inline std::vector<std::string> NamesIn(const std::filesystem::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::ranges::sort(names);
  return names;
}

// The directory text of a scratch directory, ending with "/".
inline std::string DirText(const support::TemporaryDirectory& directory) {
  return directory.Path().string() + "/";
}

// The cache list that directories give when each is scanned and added as Add All does.
inline std::vector<std::string> CacheListOf(const std::vector<std::string>& directories) {
  const catalogue::ManufacturerMap manufacturers = catalogue::LoadManufacturerMap();
  support::SilentReporter silent;
  catalogue::PersonalityListModel cacheList;
  for (const auto& directory : directories) {
    const catalogue::PersonalityScan scan =
        catalogue::ScanPersonalityDirectory(directory, manufacturers, silent, {});
    for (const auto& entry : scan.entries) catalogue::CopyToCacheList(entry, cacheList);
    cacheList.SortByState();
  }
  return cacheList.FilePaths();
}

// A standard cache taken apart.
struct DecodedCache {
  standard::Header header;
  std::vector<standard::IndexRecord> records;
  std::vector<std::uint8_t> recordBytes;  // the index as stored
  lzss::DecodedUnit unit;
};

inline std::optional<DecodedCache> DecodeStandardCache(const std::vector<std::uint8_t>& file) {
  DecodedCache cache;
  const auto header = standard::DecodeHeader(file);
  if (!header) return std::nullopt;
  cache.header = *header;
  const std::size_t count = header->recordCount;
  if (file.size() < standard::CompressedStreamOffset(count)) return std::nullopt;
  const std::span<const std::uint8_t> bytes(file);
  for (std::size_t i = 0; i < count; ++i) {
    const auto record = bytes.subspan(standard::kHeaderSize + i * standard::kIndexRecordSize,
                                      standard::kIndexRecordSize);
    cache.records.push_back(*standard::DecodeIndexRecord(record));
  }
  cache.recordBytes.assign(file.begin() + standard::kHeaderSize,
                           file.begin() + static_cast<std::ptrdiff_t>(standard::SumOffset(count)));
  cache.unit = lzss::DecompressUnit(bytes.subspan(standard::SumOffset(count)), nullptr);
  return cache;
}

// A personality with every section, in the shape the compiler expects.
inline std::string PersonalityText(std::string_view device, std::string_view extra = "") {
  std::string text = "; test personality\r\nDEVICE  " + std::string(device) +
                     "                    TEST FIXTURE\r\n"
                     "TYPE  1  4  M\r\n"
                     "MIRROR  1  540 270\r\n"
                     "DEVICEADDRESS\r\n\"Addr %03d\"d\r\nDAEND\r\n"
                     "MINDMX=1\r\nMAXDMX=512\r\nDIVBY=1\r\n"
                     "DMX\r\n"
                     "1   1   H    1  100 1N  H   1   \"Dimmer\"  255  255  255\r\n"
                     "END\r\n"
                     "TEXT\r\nA test fixture\r\nEND\r\n";
  text += extra;
  return text;
}

}  // namespace hoardwright::testing
