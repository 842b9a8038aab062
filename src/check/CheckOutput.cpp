#include "check/CheckOutput.h"
#include "inspect/TextFormat.h"

#include <algorithm>

namespace hoardwright::check {
namespace {

using Json = nlohmann::ordered_json;

std::string Verdict(const FileCheck& check) {
  if (check.standard && check.extended) return "built into both caches";
  if (!check.standard && !check.extended) return "LEFT OUT of both caches";
  return check.standard ? "LEFT OUT of the extended cache" : "LEFT OUT of the standard cache";
}

std::vector<std::string> Caches(const CheckItem& item) {
  std::vector<std::string> caches;
  if (item.standard) caches.emplace_back("standard");
  if (item.extended) caches.emplace_back("extended");
  return caches;
}

// "[standard, extended]", or "[list]" for what only the personality list shows.
std::string CacheList(const CheckItem& item) {
  const std::vector<std::string> caches = Caches(item);
  if (caches.empty()) return "[list]";
  std::string text = "[";
  for (std::size_t i = 0; i < caches.size(); ++i) text += (i > 0 ? ", " : "") + caches[i];
  return text + "]";
}

}  // namespace

void WriteCheckGnu(const std::vector<FileCheck>& checks, std::ostream& out) {
  for (const FileCheck& check : checks) {
    for (const CheckItem& item : check.items) {
      const Finding& finding = item.finding;
      std::string line = ":";
      if (finding.line > 0) {
        line += std::to_string(finding.line) + ":";
        if (finding.column > 0) line += std::to_string(finding.column) + ":";
      }
      line += finding.severity == Finding::Severity::LeftOut ? " error: " : " warning: ";
      line += finding.message + " " + CacheList(item);
      out << inspect::EscapedPath(check.path) << inspect::Escaped(line) << '\n';
    }
  }
}

std::string CheckItemText(const CheckItem& item) {
  const Finding& finding = item.finding;
  std::string text = finding.severity == Finding::Severity::LeftOut ? "LEFT OUT" : "warning";
  if (finding.line > 0) text += ", line " + std::to_string(finding.line);
  if (finding.column > 0) text += ", column " + std::to_string(finding.column);
  text += ": " + finding.message + " " + CacheList(item);
  return text;
}

void WriteCheckText(const std::vector<FileCheck>& checks, std::ostream& out) {
  std::size_t leftOut = 0;
  for (const FileCheck& check : checks) {
    leftOut += check.LeftOut() ? 1 : 0;
    // File names and personality text may hold control characters: shown escaped, as inspect
    // shows them, so that each finding stays on its line and nothing reaches the terminal raw.
    out << inspect::EscapedPath(check.path) << ": " << Verdict(check);
    if (!check.device.empty()) out << " (device \"" << inspect::Escaped(check.device) << "\")";
    out << '\n';
    for (const CheckItem& item : check.items)
      out << "  " << inspect::Escaped(CheckItemText(item)) << '\n';
  }
  out << "Checked " << checks.size() << (checks.size() == 1 ? " file" : " files") << ": "
      << checks.size() - leftOut << " built into both caches, " << leftOut
      << " left out of one or both\n";
}

Json CheckJson(const std::vector<FileCheck>& checks) {
  Json files = Json::array();
  std::size_t leftOut = 0;
  for (const FileCheck& check : checks) {
    leftOut += check.LeftOut() ? 1 : 0;
    Json items = Json::array();
    for (const CheckItem& item : check.items) {
      const Finding& f = item.finding;
      items.push_back(Json{
          {"severity", f.severity == Finding::Severity::LeftOut ? "left out" : "warning"},
          {"caches", Caches(item)},
          {"line", f.line > 0 ? Json(f.line) : Json(nullptr)},
          {"column", f.column > 0 ? Json(f.column) : Json(nullptr)},
          {"message", inspect::Latin1(f.message)}});
    }
    files.push_back(Json{{"path", inspect::PathJson(check.path)},
                         {"device", inspect::Latin1(check.device)},
                         {"manufacturer", inspect::Latin1(check.manufacturer)},
                         {"standard", check.standard},
                         {"extended", check.extended},
                         {"findings", items}});
  }
  return Json{{"files", files}, {"checked", checks.size()}, {"leftOut", leftOut}};
}

}  // namespace hoardwright::check
