#pragma once
// The three per-user settings of the main dialog, kept by QSettings under the organisation
// "Qendrale", the application "Hoardwright" and the group "Hoardwright". They are read once when
// the dialog starts and written only by SaveSettings.
#include <QByteArray>
#include <filesystem>
#include <optional>
#include <string>

#include "catalogue/BuildRequest.h"

namespace hoardwright::ui {
class MainDialogModel;
}

namespace hoardwright::desktop {

inline constexpr const char* kSettingsOrganisation = "Qendrale";
inline constexpr const char* kSettingsApplication = "Hoardwright";
inline constexpr const char* kSettingsGroup = "Hoardwright";

// The personality directory on a first start: the current directory as the system reports it,
// followed by "/Pers/".
std::string DefaultPersonalityDir();
// The output directory on a first start: the user's home directory followed by "/".
std::string DefaultOutputDir();

// "DefaultDir", "OutputDir" and "CreatedBy" into PersonalityDir, OutputDir and CreatedBy; a
// missing or empty directory takes its default, the created-by text may stay empty.
void LoadSettings(ui::MainDialogModel& model);
// Writes the three settings, in that order.
void SaveSettings(const ui::MainDialogModel& model);

// The remembered cache list's file: "Qendrale/Hoardwright/cache-list" in the user's data
// directory ($XDG_DATA_HOME, by default ~/.local/share).
std::filesystem::path CacheListFile();

// The cache kind chosen in the window (group "Build", key "CacheType": "standard" or
// "extended"); nothing when none was stored or the stored text names no kind.
std::optional<catalogue::CacheType> LoadCacheKind();
void SaveCacheKind(catalogue::CacheType kind);

// The main window's size and position, kept apart from the three settings (group "Window").
QByteArray LoadWindowGeometry();
void SaveWindowGeometry(const QByteArray& geometry);

}  // namespace hoardwright::desktop
