#include "examine/ExamineJson.h"

#include "examine/ExamineText.h"
#include "examine/TextFormat.h"

namespace hoardwright::examine {
namespace {

using Json = nlohmann::ordered_json;


Json Strings(const std::vector<std::string>& lines) {
  Json array = Json::array();
  for (const std::string& line : lines) array.push_back(Latin1(line));
  return array;
}

Json Character(char c) { return Latin1(std::string(1, c)); }

Json UnitJson(const UnitCheck& unit) {
  return Json{{"fileOffset", unit.fileOffset},   {"size", unit.unitSize},
              {"storedSum", unit.storedSum},     {"actualSum", unit.actualSum},
              {"sumMatches", unit.sumMatches},   {"endOfStream", unit.complete},
              {"usedBytes", unit.used},          {"decodedLength", unit.data.size()}};
}

Json ShapeLibraryJson(const ShapeLibraryWalk& walk) {
  Json patterns = Json::array();
  for (const PatternEntry& pattern : walk.library.patterns) {
    Json values = Json::array();
    for (const std::uint16_t value : pattern.values) values.push_back(static_cast<std::int16_t>(value));
    Json end = nullptr;
    if (pattern.endKind) end = *pattern.endKind == 0 ? "PEND" : "PEND16";
    patterns.push_back(Json{{"offset", pattern.offset},
                            {"name", Latin1(pattern.name)},
                            {"columns", pattern.columns},
                            {"values", values},
                            {"end", end}});
  }
  Json shapes = Json::array();
  for (const ShapeEntry& shape : walk.library.shapes) {
    Json steps = Json::array();
    for (const auto& step : shape.steps) steps.push_back(Json(step));
    shapes.push_back(Json{{"offset", shape.offset},
                          {"name", Latin1(shape.name)},
                          {"pattern", Latin1(shape.pattern)},
                          {"steps", steps}});
  }
  return Json{{"length", walk.library.size},
              {"patterns", patterns},
              {"shapes", shapes},
              {"endByte", walk.library.endByte}};
}

Json PersonalityJson(const PersonalityView& view, CacheKind kind) {
  Json json{{"number", view.number}, {"device", Latin1(view.device)}};
  if (kind == CacheKind::Standard) {
    json["code"] = Latin1(view.code);
  } else {
    json["manufacturer"] = Latin1(view.manufacturer);
    json["fixture"] = Latin1(view.fixture);
    json["group"] = view.group;
  }
  json["offset"] = view.offset;
  json["length"] = view.length;
  json["summary"] = Latin1(SummaryLine(view));
  if (view.walk) {
    json["record"] = RecordJson(view.walk->record);
    if (view.walk->fault) {
      json["fault"] = Json{{"recordOffset", view.walk->fault->offset},
                           {"field", view.walk->fault->field},
                           {"message", Latin1(view.walk->fault->message)}};
    }
  } else {
    json["record"] = nullptr;
  }
  return json;
}

Json Personalities(const std::vector<PersonalityView>& views, CacheKind kind) {
  Json array = Json::array();
  for (const PersonalityView& view : views) array.push_back(PersonalityJson(view, kind));
  return array;
}

Json StandardJson(const StandardReport& cache) {
  Json json = Json::object();
  if (cache.header) {
    json["header"] = Json{{"streamLength", std::uint64_t{cache.header->streamLengthMinus1} + 1},
                          {"shapeBlockLength", std::uint64_t{cache.header->shapeLengthMinus1} + 1},
                          {"recordCount", cache.header->recordCount}};
  }
  Json index = Json::array();
  for (const auto& record : cache.index) {
    index.push_back(Json{{"code", Latin1(record.code)},
                         {"device", Latin1(record.deviceText)},
                         {"offset", record.blockOffset},
                         {"length", record.blockLength}});
  }
  json["index"] = index;
  json["stream"] = cache.stream ? UnitJson(*cache.stream) : Json(nullptr);
  json["shapeLibrary"] = cache.shapeLibrary ? ShapeLibraryJson(*cache.shapeLibrary) : Json(nullptr);
  json["personalities"] = Personalities(cache.personalities, CacheKind::Standard);
  return json;
}

Json ExtendedJson(const ExtendedReport& cache) {
  Json json{{"header", Json{{"magic", std::string(extended::kMagic)}, {"version", cache.version}}}};
  json["offsets"] = cache.offsets ? Json(*cache.offsets) : Json(nullptr);
  if (cache.info) {
    const auto& info = *cache.info;
    json["info"] = Json{{"date", info.date},
                        {"time", info.time},
                        {"written", InfoDateTimeText(info)},
                        {"author", Latin1(extended::TextField(info.author))},
                        {"manufacturerCount", info.manufacturerCount},
                        {"personalityCount", info.personalityCount},
                        {"constants", Json::array({info.constantA, info.constantB})}};
  } else {
    json["info"] = nullptr;
  }
  json["manufacturers"] = Strings(cache.manufacturers);
  Json records = Json::array();
  for (const auto& record : cache.records) {
    records.push_back(Json{
        {"manufacturerIndex", record.manufacturerIndex == extended::kNoManufacturer
                                  ? Json(nullptr)
                                  : Json(record.manufacturerIndex)},
        {"fixture", Latin1(extended::TextField(record.fixtureName))},
        {"device", Latin1(extended::TextField(record.deviceName))},
        {"group", record.group},
        {"offset", record.offset},
        {"length", record.length}});
  }
  json["personalityTable"] = records;
  if (cache.shapeUnit) {
    Json shape = UnitJson(*cache.shapeUnit);
    shape["storedLength"] = cache.shapeLength.value_or(0);
    json["shapeBlock"] = shape;
  } else {
    json["shapeBlock"] = nullptr;
  }
  json["shapeLibrary"] = cache.shapeLibrary ? ShapeLibraryJson(*cache.shapeLibrary) : Json(nullptr);
  Json groups = Json::array();
  for (const GroupBlock& group : cache.groups) {
    groups.push_back(Json{{"group", group.number},
                          {"start", group.start},
                          {"end", group.end},
                          {"unit", group.unit ? UnitJson(*group.unit) : Json(nullptr)}});
  }
  json["groups"] = groups;
  json["personalities"] = Personalities(cache.personalities, CacheKind::Extended);
  return json;
}

}  // namespace

Json RecordJson(const WalkedRecord& r) {
  Json channels = Json::array();
  for (const ChannelEntry& c : r.channels) {
    channels.push_back(Json{{"column1", c.column1},   {"column2", c.column2},
                            {"column3", Character(c.column3)}, {"column4", c.column4},
                            {"column7", Character(c.column7)}, {"column8", Character(c.column8)},
                            {"column9", c.column9},   {"name", Latin1(c.name)},
                            {"column11", c.column11}, {"column12", c.column12},
                            {"column13", c.column13}});
  }
  Json index = Json::array();
  for (const TableIndexEntry& entry : r.tableIndex) {
    Json rows = Json::array();
    for (const TableIndexRow& row : entry.rows) {
      Json item{{"values", row.values}};
      if (entry.kind == TableKind::PresetFocus) item["name"] = Latin1(row.name);
      rows.push_back(item);
    }
    Json item{{"kind", entry.kind == TableKind::PresetFocus ? "preset focus" : "macro"},
              {"name", Latin1(entry.name)},
              {"header", entry.headerValues},
              {"rows", rows}};
    if (entry.cutRowName) item["cutRowName"] = Latin1(*entry.cutRowName);
    index.push_back(item);
  }
  Json blocks = Json::array();
  for (const RecordBlock& block : r.blocks) {
    blocks.push_back(Json{{"family", std::string(FamilyName(block.family))},
                          {"offset", block.offset},
                          {"lines", Strings(block.lines)}});
  }
  return Json{{"size", r.size},
              {"type", r.type},
              {"mirror", r.mirror.Present() ? Json{{"mode", r.mirror.mode},
                                                   {"first", r.mirror.first},
                                                   {"second", r.mirror.second}}
                                            : Json(nullptr)},
              {"deviceAddress", Strings(r.deviceAddress)},
              {"dmxLimits", Json{{"min", r.limits.minimum},
                                 {"max", r.limits.maximum},
                                 {"divideBy", r.limits.divideBy}}},
              {"channels", channels},
              {"text", Strings(r.text)},
              {"tableIndex", Json{{"entries", index}, {"endByte", r.tableIndexEnded}}},
              {"blocks", blocks},
              {"endByte", r.endByte}};
}

Json ExamineJson(const ExamineReport& report) {
  Json json{{"file", Latin1(report.path)},
            {"size", report.fileSize},
            {"kind", report.kind == CacheKind::Standard ? "standard" : "extended"}};
  if (report.standard) json["standard"] = StandardJson(*report.standard);
  if (report.extended) json["extended"] = ExtendedJson(*report.extended);
  Json problems = Json::array();
  for (const Problem& problem : report.problems) {
    Json item{{"section", problem.section},
              {"record", problem.record ? Json(*problem.record) : Json(nullptr)},
              {"offsetIn", std::string(SpaceName(problem.space))},
              {"offset", problem.offset},
              {"message", Latin1(problem.message)},
              {"text", Latin1(LocationText(problem) + ": " + problem.message)}};
    if (problem.space == OffsetSpace::GroupData) item["group"] = problem.group;
    problems.push_back(item);
  }
  json["damaged"] = report.Damaged();
  json["problems"] = problems;
  return json;
}

}  // namespace hoardwright::examine
