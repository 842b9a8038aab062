#include "inspect/InspectJson.h"

#include <array>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string_view>

#include "inspect/InspectText.h"
#include "inspect/TextFormat.h"

namespace hoardwright::inspect {
namespace {

using Json = nlohmann::ordered_json;

// Writes a JSON document a piece at a time, laid out exactly as nlohmann's dump(2) lays out a
// whole document, so that neither the document nor a tree of it is ever held: a cache can hold
// millions of lines, and a tree node each costs more than the lines themselves.
class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  ~JsonWriter() { Flush(); }
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  // Each call with a key adds a member to the open object; with none, an item to the open array.
  void BeginObject(std::string_view key = {}) { Begin(key, '{'); }
  void BeginArray(std::string_view key = {}) { Begin(key, '['); }
  void End() {
    const Level level = levels_.back();
    levels_.pop_back();
    if (level.count > 0) NewLine();
    buffer_ += level.close;
    if (buffer_.size() >= kFlushSize) Flush();
  }
  void Number(std::string_view key, std::uint64_t value) {
    Separate(key);
    buffer_ += std::to_string(value);
  }
  void Signed(std::string_view key, std::int64_t value) {
    Separate(key);
    buffer_ += std::to_string(value);
  }
  void Bool(std::string_view key, bool value) {
    Separate(key);
    buffer_ += value ? std::string_view("true") : std::string_view("false");
  }
  void Null(std::string_view key) {
    Separate(key);
    buffer_ += std::string_view("null");
  }
  // 8-bit text from a cache: each byte is the Latin-1 character of its code (as Latin1()).
  void Latin1Text(std::string_view key, std::string_view text) {
    Separate(key);
    AppendString(text, true);
  }
  // Text that is UTF-8 already: the program's own words, or a path through PathJson().
  void Utf8Text(std::string_view key, std::string_view text) {
    Separate(key);
    AppendString(text, false);
  }
  template <typename Values>
  void Numbers(std::string_view key, const Values& values) {
    BeginArray(key);
    for (const auto value : values) Number({}, value);
    End();
  }
  // A document made elsewhere, indented to its place.
  void Document(std::string_view key, const nlohmann::ordered_json& document) {
    Separate(key);
    const std::string text = document.dump(2);
    const std::string indent(2 * levels_.size(), ' ');
    for (const char c : text) {
      buffer_ += c;
      if (c == '\n') buffer_ += indent;
    }
  }
  void Latin1Lines(std::string_view key, const std::vector<std::string>& lines) {
    BeginArray(key);
    for (const std::string& line : lines) Latin1Text({}, line);
    End();
  }
  void Flush() {
    out_ << buffer_;
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kFlushSize = 1 << 20;
  struct Level {
    char close = '}';
    std::size_t count = 0;
  };

  void NewLine() {
    buffer_ += '\n';
    buffer_.append(2 * levels_.size(), ' ');
  }
  void Begin(std::string_view key, char open) {
    Separate(key);
    buffer_ += open;
    levels_.push_back(Level{open == '{' ? '}' : ']', 0});
  }
  void Separate(std::string_view key) {
    if (levels_.empty()) return;
    Level& level = levels_.back();
    if (level.count++ > 0) buffer_ += ',';
    NewLine();
    if (level.close == '}') {
      // Keys are this file's own names, which need no escapes.
      buffer_ += '"';
      buffer_ += key;
      buffer_.append("\": ", 3);
    }
  }
  // A JSON string as nlohmann writes one: short escapes where JSON has them, \u00xx for the
  // other control characters, everything else as it is (or, for Latin-1, as UTF-8).
  void AppendString(std::string_view text, bool latin1) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string& out = buffer_;
    out += '"';
    std::size_t plain = 0;  // start of the run of bytes that go out unchanged
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      if (byte >= 0x20 && byte != '"' && byte != '\\' && (byte < 0x80 || !latin1)) continue;
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

void WriteUnit(JsonWriter& json, std::string_view key, const UnitCheck& unit,
               std::optional<std::uint64_t> storedLength = std::nullopt) {
  json.BeginObject(key);
  json.Number("fileOffset", unit.fileOffset);
  json.Number("size", unit.unitSize);
  json.Number("storedSum", unit.storedSum);
  json.Number("actualSum", unit.actualSum);
  json.Bool("sumMatches", unit.sumMatches);
  json.Bool("endOfStream", unit.complete);
  json.Number("usedBytes", unit.used);
  json.Number("decodedLength", unit.data.size());
  if (storedLength) json.Number("storedLength", *storedLength);
  json.End();
}

void WriteShapeLibrary(JsonWriter& json, const std::optional<ShapeLibraryWalk>& walk) {
  if (!walk) {
    json.Null("shapeLibrary");
    return;
  }
  json.BeginObject("shapeLibrary");
  json.Number("length", walk->library.size);
  json.BeginArray("patterns");
  for (const PatternEntry& pattern : walk->library.patterns) {
    json.BeginObject();
    json.Number("offset", pattern.offset);
    json.Latin1Text("name", pattern.name);
    json.Number("columns", pattern.columns);
    json.BeginArray("values");
    for (const std::uint16_t value : pattern.values)
      json.Signed({}, static_cast<std::int16_t>(value));
    json.End();
    if (pattern.endKind) {
      json.Utf8Text("end", *pattern.endKind == 0 ? "PEND" : "PEND16");
    } else {
      json.Null("end");
    }
    json.End();
  }
  json.End();
  json.BeginArray("shapes");
  for (const ShapeEntry& shape : walk->library.shapes) {
    json.BeginObject();
    json.Number("offset", shape.offset);
    json.Latin1Text("name", shape.name);
    json.Latin1Text("pattern", shape.pattern);
    json.BeginArray("steps");
    for (const auto& step : shape.steps) json.Numbers({}, step);
    json.End();
    json.End();
  }
  json.End();
  json.Bool("endByte", walk->library.endByte);
  json.End();
}

void WriteRecord(JsonWriter& json, std::string_view key, const WalkedRecord& r) {
  json.BeginObject(key);
  json.Number("size", r.size);
  json.Number("type", r.type);
  if (r.mirror.Present()) {
    json.BeginObject("mirror");
    json.Number("mode", r.mirror.mode);
    json.Number("first", r.mirror.first);
    json.Number("second", r.mirror.second);
    json.End();
  } else {
    json.Null("mirror");
  }
  json.Latin1Lines("deviceAddress", r.deviceAddress);
  json.BeginObject("dmxLimits");
  json.Number("min", r.limits.minimum);
  json.Number("max", r.limits.maximum);
  json.Number("divideBy", r.limits.divideBy);
  json.End();
  json.BeginArray("channels");
  for (const ChannelEntry& c : r.channels) {
    json.BeginObject();
    json.Number("column1", c.column1);
    json.Number("column2", c.column2);
    json.Latin1Text("column3", std::string_view(&c.column3, 1));
    json.Number("column4", c.column4);
    json.Latin1Text("column7", std::string_view(&c.column7, 1));
    json.Latin1Text("column8", std::string_view(&c.column8, 1));
    json.Number("column9", c.column9);
    json.Latin1Text("name", c.name);
    json.Number("column11", c.column11);
    json.Number("column12", c.column12);
    json.Number("column13", c.column13);
    json.End();
  }
  json.End();
  json.Latin1Lines("text", r.text);
  json.BeginObject("tableIndex");
  json.BeginArray("entries");
  for (const TableIndexEntry& entry : r.tableIndex) {
    json.BeginObject();
    json.Utf8Text("kind", entry.kind == TableKind::PresetFocus ? "preset focus" : "macro");
    json.Latin1Text("name", entry.name);
    json.Numbers("header", entry.headerValues);
    json.Number("rowCount", entry.rowCount);
    json.BeginArray("rows");
    for (const TableIndexRow& row : entry.rows) {
      json.BeginObject();
      json.Numbers("values", row.values);
      if (entry.kind == TableKind::PresetFocus) json.Latin1Text("name", row.name);
      json.End();
    }
    json.End();
    if (entry.cutRowName) json.Latin1Text("cutRowName", *entry.cutRowName);
    json.End();
  }
  json.End();
  json.Bool("endByte", r.tableIndexEnded);
  json.End();
  json.BeginArray("blocks");
  for (const RecordBlock& block : r.blocks) {
    json.BeginObject();
    json.Utf8Text("family", FamilyName(block.family));
    json.Number("offset", block.offset);
    json.Latin1Lines("lines", block.lines);
    json.End();
  }
  json.End();
  json.Bool("endByte", r.endByte);
  json.End();
}

void WritePersonality(JsonWriter& json, const InspectReport& report, const PersonalityView& view,
                      CacheKind kind) {
  json.BeginObject();
  json.Number("number", view.number);
  json.Latin1Text("device", view.device);
  if (kind == CacheKind::Standard) {
    json.Latin1Text("code", view.code);
  } else {
    json.Latin1Text("manufacturer", view.manufacturer);
    json.Latin1Text("fixture", view.fixture);
    json.Signed("group", view.group);
  }
  json.Number("offset", view.offset);
  json.Number("length", view.length);
  json.Latin1Text("summary", SummaryLine(view));
  // One record walked at a time: the report keeps summaries, not walks.
  if (const auto bytes = RecordBytes(report, view)) {
    const RecordWalk walk = WalkPersonalityRecord(*bytes);
    WriteRecord(json, "record", walk.record);
    if (walk.fault) {
      json.BeginObject("fault");
      json.Number("recordOffset", walk.fault->offset);
      json.Utf8Text("field", walk.fault->field);
      json.Latin1Text("message", walk.fault->message);
      json.End();
    }
  } else {
    json.Null("record");
  }
  json.End();
}

void WritePersonalities(JsonWriter& json, const InspectReport& report,
                        const std::vector<PersonalityView>& views, CacheKind kind) {
  json.BeginArray("personalities");
  for (const PersonalityView& view : views) WritePersonality(json, report, view, kind);
  json.End();
}

void WriteStandard(JsonWriter& json, const InspectReport& report) {
  const StandardReport& cache = *report.standard;
  json.BeginObject("standard");
  if (cache.header) {
    json.BeginObject("header");
    json.Number("streamLength", std::uint64_t{cache.header->streamLengthMinus1} + 1);
    json.Number("shapeBlockLength", std::uint64_t{cache.header->shapeLengthMinus1} + 1);
    json.Number("recordCount", cache.header->recordCount);
    json.End();
  }
  json.BeginArray("index");
  for (const auto& record : cache.index) {
    json.BeginObject();
    json.Latin1Text("code", record.code);
    json.Latin1Text("device", record.deviceText);
    json.Number("offset", record.blockOffset);
    json.Number("length", record.blockLength);
    json.End();
  }
  json.End();
  if (cache.stream) {
    WriteUnit(json, "stream", *cache.stream);
  } else {
    json.Null("stream");
  }
  WriteShapeLibrary(json, cache.shapeLibrary);
  WritePersonalities(json, report, cache.personalities, CacheKind::Standard);
  json.End();
}

void WriteExtended(JsonWriter& json, const InspectReport& report) {
  const ExtendedReport& cache = *report.extended;
  json.BeginObject("extended");
  json.BeginObject("header");
  json.Utf8Text("magic", extended::kMagic);
  json.Number("version", cache.version);
  json.End();
  if (cache.offsets) {
    json.Numbers("offsets", *cache.offsets);
  } else {
    json.Null("offsets");
  }
  if (cache.info) {
    const auto& info = *cache.info;
    json.BeginObject("info");
    json.Number("date", info.date);
    json.Number("time", info.time);
    json.Utf8Text("written", InfoDateTimeText(info));
    json.Latin1Text("author", extended::TextField(info.author));
    json.Number("manufacturerCount", info.manufacturerCount);
    json.Number("personalityCount", info.personalityCount);
    json.Numbers("constants", std::array{info.constantA, info.constantB});
    json.End();
  } else {
    json.Null("info");
  }
  json.Latin1Lines("manufacturers", cache.manufacturers);
  json.BeginArray("personalityTable");
  for (const auto& record : cache.records) {
    json.BeginObject();
    if (record.manufacturerIndex == extended::kNoManufacturer) {
      json.Null("manufacturerIndex");
    } else {
      json.Number("manufacturerIndex", record.manufacturerIndex);
    }
    json.Latin1Text("fixture", extended::TextField(record.fixtureName));
    json.Latin1Text("device", extended::TextField(record.deviceName));
    json.Number("group", record.group);
    json.Number("offset", record.offset);
    json.Number("length", record.length);
    json.End();
  }
  json.End();
  if (cache.shapeUnit) {
    WriteUnit(json, "shapeBlock", *cache.shapeUnit, cache.shapeLength.value_or(0));
  } else {
    json.Null("shapeBlock");
  }
  WriteShapeLibrary(json, cache.shapeLibrary);
  json.BeginArray("groups");
  for (const GroupBlock& group : cache.groups) {
    json.BeginObject();
    json.Signed("group", group.number);
    json.Number("start", group.start);
    json.Number("end", group.end);
    if (group.unit) {
      WriteUnit(json, "unit", *group.unit);
    } else {
      json.Null("unit");
    }
    json.End();
  }
  json.End();
  WritePersonalities(json, report, cache.personalities, CacheKind::Extended);
  json.End();
}

void WriteProblems(JsonWriter& json, std::string_view key, const std::vector<Problem>& problems) {
  json.BeginArray(key);
  for (const Problem& problem : problems) {
    json.BeginObject();
    json.Utf8Text("section", problem.section);
    if (problem.record) {
      json.Number("record", *problem.record);
    } else {
      json.Null("record");
    }
    json.Utf8Text("offsetIn", SpaceName(problem.space));
    json.Number("offset", problem.offset);
    json.Latin1Text("message", problem.message);
    json.Latin1Text("text", LocationText(problem) + ": " + problem.message);
    if (problem.space == OffsetSpace::GroupData) json.Signed("group", problem.group);
    json.End();
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

void WriteInspectJson(const InspectReport& report, const std::vector<std::string>* extracted,
                      std::ostream& out, const nlohmann::ordered_json* more) {
  JsonWriter json(out);
  json.BeginObject();
  json.Utf8Text("file", PathJson(report.path));
  json.Number("size", report.fileSize);
  json.Utf8Text("kind", report.kind == CacheKind::Standard ? "standard" : "extended");
  if (report.standard) WriteStandard(json, report);
  if (report.extended) WriteExtended(json, report);
  json.Bool("damaged", report.Damaged());
  WriteProblems(json, "problems", report.problems);
  WriteProblems(json, "warnings", report.warnings);
  if (extracted) {
    json.BeginArray("extracted");
    for (const std::string& name : *extracted) json.Utf8Text({}, name);
    json.End();
  }
  if (more != nullptr) {
    for (const auto& [key, value] : more->items()) json.Document(key, value);
  }
  json.End();
  json.Flush();
  out << '\n';
}

}  // namespace hoardwright::inspect
