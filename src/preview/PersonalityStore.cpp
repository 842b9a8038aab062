#include "preview/PersonalityStore.h"

#include <filesystem>
#include <system_error>
#include <unordered_set>

#include "catalogue/PersonalityScan.h"
#include "personality/LineStream.h"
#include "support/InputFile.h"
#include "support/Platform.h"

namespace hoardwright::preview {
namespace {

std::size_t TableSetting(const standard::TableOptions& tables) {
  return (tables.includePresetFocus ? 4U : 0U) | (tables.includeRangeTables ? 2U : 0U) |
         (tables.includeMacros ? 1U : 0U);
}

}  // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  if (!support::RegularFileStamp(support::ToPath(path), size, modified)) return std::nullopt;
  return FileStamp{size, modified};
}

PersonalityStore::PersonalityStore() : PersonalityStore(catalogue::LoadManufacturerMap()) {}

PersonalityStore::PersonalityStore(catalogue::ManufacturerMap manufacturers)
    : manufacturers_(std::move(manufacturers)) {}

template <typename Result, typename Pick, typename Make>
std::shared_ptr<const Result> PersonalityStore::Get(const std::string& path, Pick pick, Make make) {
  // Taken before the read: a file changed while it is read is read again next time.
  const std::optional<FileStamp> stamp = StampOf(path);
  if (stamp) {
    std::lock_guard lock(mutex_);
    const auto found = kept_.find(path);
    if (found != kept_.end() && found->second.stamp == *stamp) {
      if (auto kept = pick(found->second)) return kept;
    }
  }
  filesRead_.fetch_add(1, std::memory_order_relaxed);
  const support::InputFile file =
      support::ReadInputFile(support::ToPath(path), support::kMaxPersonalityFileSize);
  std::shared_ptr<const Result> made = make(file);
  // What is not a regular file now is looked at afresh each time.
  if (stamp) {
    std::lock_guard lock(mutex_);
    Kept& kept = kept_[path];
    if (kept.stamp != *stamp) kept = Kept{*stamp, {}, nullptr, nullptr};
    pick(kept) = made;
  }
  return made;
}

std::shared_ptr<const standard::CompiledPersonality> PersonalityStore::Standard(
    const std::string& path, const standard::TableOptions& tables) {
  const std::size_t setting = TableSetting(tables);
  return Get<standard::CompiledPersonality>(
      path, [setting](Kept& kept) -> auto& { return kept.standard[setting]; },
      [&](const support::InputFile& file) {
        if (!file.Read()) return std::make_shared<const standard::CompiledPersonality>();
        personality::LineStream text(file.bytes, personality::LineMode::Text);
        return std::make_shared<const standard::CompiledPersonality>(
            standard::CompilePersonalityText(text, tables));
      });
}

std::shared_ptr<const ExtendedPersonality> PersonalityStore::Extended(const std::string& path) {
  return Get<ExtendedPersonality>(
      path, [](Kept& kept) -> auto& { return kept.extended; },
      [&](const support::InputFile& file) {
        auto made = std::make_shared<ExtendedPersonality>();
        if (!file.Read()) return std::shared_ptr<const ExtendedPersonality>(std::move(made));
        // The names are read in text mode, the form converted in binary mode, as the build reads.
        personality::LineStream text(file.bytes, personality::LineMode::Text);
        made->row = extended::ReadNamedRow(text);
        personality::LineStream binary(file.bytes, personality::LineMode::Binary);
        support::CollectingReporter messages;
        extended::AppendConvertedForm(binary, path, made->form, messages);
        made->formMessages = std::move(messages.messages);
        return std::shared_ptr<const ExtendedPersonality>(std::move(made));
      });
}

std::shared_ptr<const check::FileCheck> PersonalityStore::Check(const std::string& path) {
  return Get<check::FileCheck>(
      path, [](Kept& kept) -> auto& { return kept.check; },
      [&](const support::InputFile& file) {
        support::SilentReporter silent;
        std::optional<catalogue::PersonalityEntry> entry;
        if (file.Read()) entry = catalogue::EntryFromBytes(path, file.bytes, manufacturers_, silent);
        return std::make_shared<const check::FileCheck>(
            check::CheckPersonalityFile(path, file, entry ? &*entry : nullptr, manufacturers_));
      });
}

void PersonalityStore::Invalidate(const std::string& path) {
  std::lock_guard lock(mutex_);
  kept_.erase(path);
}

void PersonalityStore::RetainOnly(const std::vector<std::string>& paths) {
  const std::unordered_set<std::string> keep(paths.begin(), paths.end());
  std::lock_guard lock(mutex_);
  std::erase_if(kept_, [&keep](const auto& entry) { return !keep.contains(entry.first); });
}

void PersonalityStore::Clear() {
  std::lock_guard lock(mutex_);
  kept_.clear();
}

}  // namespace hoardwright::preview
