#pragma once
// Scratch directories with personality files, and a reader of extended cache files built on the
// same layout definitions as the writer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "extended/ExtendedCacheLayout.h"
#include "support/Files.h"

namespace hoardwright::testing {

using Bytes = std::vector<std::uint8_t>;

// A fresh directory (no hyphen in its own name) removed with everything in it at the end.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("hwext_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The directory as the program holds directory texts: with a trailing "/".
  std::string Text() const { return path_.string() + "/"; }

  std::string Write(const std::string& name, std::string_view content) const {
    const auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

// A small personality that converts: CR LF line ends, as personality files are shipped.
inline std::string PersonalityText(std::string_view manufacturer, std::string_view fixture,
                                   std::string_view device, std::string_view extra = "") {
  std::string text;
  const auto line = [&text](std::string_view content) {
    text.append(content);
    text.append("\r\n");
  };
  line("DEVICE  " + std::string(device));
  line("NAME \"" + std::string(manufacturer) + "\" \"" + std::string(fixture) + "\"");
  line("TYPE  1  2  M");
  line("MIRROR  2  540 270");
  line("DEVICEADDRESS");
  line("\"Handle  %2d\"h");
  line("DAEND");
  line("MINDMX=1");
  line("MAXDMX=512");
  line("DIVBY=1");
  line("DMX");
  line("1   1   H    1  100 1N  H   1   \"Dimmer\"        255  255  255");
  line("END");
  line("TEXT");
  line(std::string(device));
  line("END");
  text.append(extra);
  return text;
}

// The parts of an extended cache file, read through the layout's decoders.
struct DecodedCache {
  std::uint16_t version = 0;
  extended::OffsetTable offsets{};
  extended::CacheInfoRecord info;
  std::vector<extended::ManufacturerRecord> manufacturers;
  std::vector<extended::PersonalityRecord> personalities;
};

inline DecodedCache DecodeExtendedCache(const Bytes& file) {
  using namespace extended;
  DecodedCache cache;
  const std::span<const std::uint8_t> bytes(file);
  EXPECT_GE(file.size(), kManufacturerTableOffset);
  if (file.size() < kManufacturerTableOffset) return cache;
  const auto version = DecodeHeader(bytes.first<kHeaderSize>());
  EXPECT_TRUE(version.has_value());
  cache.version = version.value_or(0);
  cache.offsets = DecodeOffsetTable(bytes.subspan(kOffsetTableOffset).first<kOffsetTableSize>());
  cache.info = DecodeInfoRecord(bytes.subspan(cache.offsets[kInfoSlot]).first<kInfoRecordSize>());
  for (std::size_t i = 0; i < cache.info.manufacturerCount; ++i) {
    const std::size_t at = cache.offsets[kManufacturerSlot] + i * kManufacturerRecordSize;
    cache.manufacturers.push_back(
        DecodeManufacturerRecord(bytes.subspan(at).first<kManufacturerRecordSize>()));
  }
  for (std::size_t i = 0; i < cache.info.personalityCount; ++i) {
    const std::size_t at = cache.offsets[kPersonalitySlot] + i * kPersonalityRecordSize;
    cache.personalities.push_back(
        DecodePersonalityRecord(bytes.subspan(at).first<kPersonalityRecordSize>()));
  }
  return cache;
}

// The bytes between two slots' offsets.
inline Bytes SlotRange(const Bytes& file, const extended::OffsetTable& offsets, std::size_t from,
                       std::size_t to) {
  return Bytes(file.begin() + offsets[from], file.begin() + offsets[to]);
}

}  // namespace hoardwright::testing
