#include "examine/ExamineJson.h"

#include <sstream>
#include <string_view>

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

// Writes a JSON document a piece at a time, laid out as nlohmann's dump(2) lays out the whole:
// the arrays that grow with the file (records, personalities, problems) are never held as one,
// and the lines of a record go out without a tree node each.
class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  ~JsonWriter() { Flush(); }
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void BeginObject(std::string_view key = {}) { Begin(key, false); }
  void BeginArray(std::string_view key = {}) { Begin(key, true); }
  void End() {
    const Level level = levels_.back();
    levels_.pop_back();
    if (level.count > 0) {
      buffer_ += '\n';
      buffer_.append(2 * levels_.size(), ' ');
    }
    buffer_ += level.array ? ']' : '}';
    if (buffer_.size() >= kFlushSize) Flush();
  }
  // A member of the open object, or (with no key) an item of the open array.
  void Put(std::string_view key, const Json& value) {
    Separate(key);
    const std::string text = value.dump(2);
    // Strings in a dump hold no raw line ends: each one starts a line to indent.
    std::size_t from = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', from)) {
      buffer_.append(text, from, end + 1 - from);
      buffer_.append(2 * levels_.size(), ' ');
      from = end + 1;
    }
    buffer_.append(text, from);
  }
  void Put(const Json& value) { Put({}, value); }
  void PutNumber(std::string_view key, std::uint64_t value) {
    Separate(key);
    buffer_ += std::to_string(value);
  }
  void PutBool(std::string_view key, bool value) {
    Separate(key);
    buffer_ += value ? std::string_view("true") : std::string_view("false");
  }
  // 8-bit text read as Latin-1, as Latin1() reads it.
  void PutLatin1(std::string_view key, std::string_view text) {
    Separate(key);
    AppendLatin1String(buffer_, text);
  }
  void PutNumbers(std::string_view key, const std::vector<std::uint8_t>& values) {
    BeginArray(key);
    for (const std::uint8_t value : values) PutNumber({}, value);
    End();
  }
  void PutLatin1Strings(std::string_view key, const std::vector<std::string>& lines) {
    BeginArray(key);
    for (const std::string& line : lines) PutLatin1({}, line);
    End();
  }
  void Flush() {
    out_ << buffer_;
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kFlushSize = 1 << 20;
  struct Level {
    bool array = false;
    std::size_t count = 0;
  };
  void Begin(std::string_view key, bool array) {
    Separate(key);
    buffer_ += array ? '[' : '{';
    levels_.push_back(Level{array, 0});
  }
  void Separate(std::string_view key) {
    if (levels_.empty()) return;
    Level& level = levels_.back();
    if (level.count++ > 0) buffer_ += ',';
    buffer_ += '\n';
    buffer_.append(2 * levels_.size(), ' ');
    if (!level.array) {
      // Keys are this file's own ASCII names.
      buffer_ += '"';
      buffer_ += key;
      buffer_.append("\": ", 3);
    }
  }
  // A JSON string as nlohmann writes one (short escapes where JSON has them, \u00xx for the other
  // control characters), each byte taken as the Latin-1 character of its code.
  static void AppendLatin1String(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    std::size_t plain = 0;  // start of the run of bytes that need no change
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      if (byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\') continue;
      out.append(text, plain, i - plain);
      plain = i + 1;
      switch (byte) {
        case '"': out.append("\\\"", 2); break;
        case '\\': out.append("\\\\", 2); break;
        case '\b': out.append("\\b", 2); break;
        case '\f': out.append("\\f", 2); break;
        case '\n': out.append("\\n", 2); break;
        case '\r': out.append("\\r", 2); break;
        case '\t': out.append("\\t", 2); break;
        default:
          if (byte < 0x20) {
            const char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
            out.append(escape, sizeof escape);
          } else {
            const char character[] = {static_cast<char>(0xC0 | (byte >> 6)),
                                      static_cast<char>(0x80 | (byte & 0x3F))};
            out.append(character, sizeof character);
          }
      }
    }
    out.append(text, plain);
    out += '"';
  }

  std::ostream& out_;
  std::string buffer_;
  std::vector<Level> levels_;
};

void WriteRecord(JsonWriter& json, std::string_view key, const WalkedRecord& r) {
  json.BeginObject(key);
  json.PutNumber("size", r.size);
  json.PutNumber("type", r.type);
  json.Put("mirror", r.mirror.Present() ? Json{{"mode", r.mirror.mode},
                                               {"first", r.mirror.first},
                                               {"second", r.mirror.second}}
                                        : Json(nullptr));
  json.PutLatin1Strings("deviceAddress", r.deviceAddress);
  json.Put("dmxLimits", Json{{"min", r.limits.minimum},
                             {"max", r.limits.maximum},
                             {"divideBy", r.limits.divideBy}});
  json.BeginArray("channels");
  for (const ChannelEntry& c : r.channels) {
    json.Put(Json{{"column1", c.column1},   {"column2", c.column2},
                  {"column3", Character(c.column3)}, {"column4", c.column4},
                  {"column7", Character(c.column7)}, {"column8", Character(c.column8)},
                  {"column9", c.column9},   {"name", Latin1(c.name)},
                  {"column11", c.column11}, {"column12", c.column12},
                  {"column13", c.column13}});
  }
  json.End();
  json.PutLatin1Strings("text", r.text);
  json.BeginObject("tableIndex");
  json.BeginArray("entries");
  for (const TableIndexEntry& entry : r.tableIndex) {
    json.BeginObject();
    json.PutLatin1("kind", entry.kind == TableKind::PresetFocus ? "preset focus" : "macro");
    json.PutLatin1("name", entry.name);
    json.PutNumbers("header", entry.headerValues);
    json.PutNumber("rowCount", entry.rowCount);
    json.BeginArray("rows");
    for (const TableIndexRow& row : entry.rows) {
      json.BeginObject();
      json.PutNumbers("values", row.values);
      if (entry.kind == TableKind::PresetFocus) json.PutLatin1("name", row.name);
      json.End();
    }
    json.End();
    if (entry.cutRowName) json.PutLatin1("cutRowName", *entry.cutRowName);
    json.End();
  }
  json.End();
  json.PutBool("endByte", r.tableIndexEnded);
  json.End();
  json.BeginArray("blocks");
  for (const RecordBlock& block : r.blocks) {
    json.BeginObject();
    json.PutLatin1("family", FamilyName(block.family));
    json.PutNumber("offset", block.offset);
    json.PutLatin1Strings("lines", block.lines);
    json.End();
  }
  json.End();
  json.PutBool("endByte", r.endByte);
  json.End();
}

void WritePersonality(JsonWriter& json, const ExamineReport& report, const PersonalityView& view,
                      CacheKind kind) {
  json.BeginObject();
  json.PutNumber("number", view.number);
  json.PutLatin1("device", view.device);
  if (kind == CacheKind::Standard) {
    json.PutLatin1("code", view.code);
  } else {
    json.PutLatin1("manufacturer", view.manufacturer);
    json.PutLatin1("fixture", view.fixture);
    json.PutNumber("group", static_cast<std::uint64_t>(view.group));
  }
  json.PutNumber("offset", view.offset);
  json.PutNumber("length", view.length);
  json.PutLatin1("summary", SummaryLine(view));
  // One record walked at a time: the report keeps summaries, not walks.
  if (const auto bytes = RecordBytes(report, view)) {
    const RecordWalk walk = WalkPersonalityRecord(*bytes);
    WriteRecord(json, "record", walk.record);
    if (walk.fault) {
      json.Put("fault", Json{{"recordOffset", walk.fault->offset},
                             {"field", walk.fault->field},
                             {"message", Latin1(walk.fault->message)}});
    }
  } else {
    json.Put("record", nullptr);
  }
  json.End();
}

void WritePersonalities(JsonWriter& json, const ExamineReport& report,
                        const std::vector<PersonalityView>& views, CacheKind kind) {
  json.BeginArray("personalities");
  for (const PersonalityView& view : views) WritePersonality(json, report, view, kind);
  json.End();
}

void WriteStandard(JsonWriter& json, const ExamineReport& report) {
  const StandardReport& cache = *report.standard;
  json.BeginObject("standard");
  if (cache.header) {
    json.Put("header", Json{{"streamLength", std::uint64_t{cache.header->streamLengthMinus1} + 1},
                            {"shapeBlockLength", std::uint64_t{cache.header->shapeLengthMinus1} + 1},
                            {"recordCount", cache.header->recordCount}});
  }
  json.BeginArray("index");
  for (const auto& record : cache.index) {
    json.Put(Json{{"code", Latin1(record.code)},
                  {"device", Latin1(record.deviceText)},
                  {"offset", record.blockOffset},
                  {"length", record.blockLength}});
  }
  json.End();
  json.Put("stream", cache.stream ? UnitJson(*cache.stream) : Json(nullptr));
  json.Put("shapeLibrary", cache.shapeLibrary ? ShapeLibraryJson(*cache.shapeLibrary) : Json(nullptr));
  WritePersonalities(json, report, cache.personalities, CacheKind::Standard);
  json.End();
}

void WriteExtended(JsonWriter& json, const ExamineReport& report) {
  const ExtendedReport& cache = *report.extended;
  json.BeginObject("extended");
  json.Put("header", Json{{"magic", std::string(extended::kMagic)}, {"version", cache.version}});
  json.Put("offsets", cache.offsets ? Json(*cache.offsets) : Json(nullptr));
  if (cache.info) {
    const auto& info = *cache.info;
    json.Put("info", Json{{"date", info.date},
                          {"time", info.time},
                          {"written", InfoDateTimeText(info)},
                          {"author", Latin1(extended::TextField(info.author))},
                          {"manufacturerCount", info.manufacturerCount},
                          {"personalityCount", info.personalityCount},
                          {"constants", Json::array({info.constantA, info.constantB})}});
  } else {
    json.Put("info", nullptr);
  }
  json.Put("manufacturers", Strings(cache.manufacturers));
  json.BeginArray("personalityTable");
  for (const auto& record : cache.records) {
    json.Put(Json{{"manufacturerIndex", record.manufacturerIndex == extended::kNoManufacturer
                                            ? Json(nullptr)
                                            : Json(record.manufacturerIndex)},
                  {"fixture", Latin1(extended::TextField(record.fixtureName))},
                  {"device", Latin1(extended::TextField(record.deviceName))},
                  {"group", record.group},
                  {"offset", record.offset},
                  {"length", record.length}});
  }
  json.End();
  if (cache.shapeUnit) {
    Json shape = UnitJson(*cache.shapeUnit);
    shape["storedLength"] = cache.shapeLength.value_or(0);
    json.Put("shapeBlock", shape);
  } else {
    json.Put("shapeBlock", nullptr);
  }
  json.Put("shapeLibrary", cache.shapeLibrary ? ShapeLibraryJson(*cache.shapeLibrary) : Json(nullptr));
  Json groups = Json::array();
  for (const GroupBlock& group : cache.groups) {
    groups.push_back(Json{{"group", group.number},
                          {"start", group.start},
                          {"end", group.end},
                          {"unit", group.unit ? UnitJson(*group.unit) : Json(nullptr)}});
  }
  json.Put("groups", groups);
  WritePersonalities(json, report, cache.personalities, CacheKind::Extended);
  json.End();
}

void WriteProblems(JsonWriter& json, std::string_view key, const std::vector<Problem>& problems) {
  json.BeginArray(key);
  for (const Problem& problem : problems) {
    Json item{{"section", problem.section},
              {"record", problem.record ? Json(*problem.record) : Json(nullptr)},
              {"offsetIn", std::string(SpaceName(problem.space))},
              {"offset", problem.offset},
              {"message", Latin1(problem.message)},
              {"text", Latin1(LocationText(problem) + ": " + problem.message)}};
    if (problem.space == OffsetSpace::GroupData) item["group"] = problem.group;
    json.Put(item);
  }
  json.End();
}

}  // namespace

Json RecordJson(const WalkedRecord& record) {
  std::ostringstream text;
  {
    JsonWriter json(text);
    WriteRecord(json, {}, record);
  }
  return Json::parse(text.str());
}

void WriteExamineJson(const ExamineReport& report, const std::vector<std::string>* extracted,
                      std::ostream& out) {
  JsonWriter json(out);
  json.BeginObject();
  json.Put("file", PathJson(report.path));
  json.Put("size", report.fileSize);
  json.Put("kind", report.kind == CacheKind::Standard ? "standard" : "extended");
  if (report.standard) WriteStandard(json, report);
  if (report.extended) WriteExtended(json, report);
  json.Put("damaged", report.Damaged());
  WriteProblems(json, "problems", report.problems);
  WriteProblems(json, "warnings", report.warnings);
  if (extracted) json.Put("extracted", *extracted);
  json.End();
  json.Flush();
  out << '\n';
}

}  // namespace hoardwright::examine
