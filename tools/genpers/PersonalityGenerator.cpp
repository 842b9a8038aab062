#include "PersonalityGenerator.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <string_view>

#include "catalogue/ManufacturerTable.h"

namespace hoardwright::tools {
namespace {

// SplitMix64: small, fast and the same everywhere (the standard distributions are not).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // lo .. hi inclusive.
  int Between(int lo, int hi) {
    return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[static_cast<std::size_t>(Between(0, static_cast<int>(N) - 1))];
  }

 private:
  std::uint64_t state_;
};

struct Attribute {
  std::string_view name;
  int number;    // the console's attribute number
  char curve;    // column 7
  bool homeMid;  // position-like channels rest at the middle
};

constexpr std::array<Attribute, 16> kAttributes{{
    {"Pan", 5, 'N', true},      {"Tilt", 6, 'N', true},    {"Colour", 1, 'N', false},
    {"Cyan", 2, 'N', false},    {"Magenta", 3, 'N', false}, {"Yellow", 4, 'N', false},
    {"Gobo", 10, 'N', false},   {"Gobo Rot", 12, 'N', true}, {"Prism", 17, 'N', false},
    {"Focus", 14, 'N', true},   {"Zoom", 13, 'N', true},   {"Iris", 7, 'I', false},
    {"Shutter", 15, 'N', false}, {"Frost", 18, 'N', false}, {"Speed", 24, 'N', false},
    {"Control", 16, 'N', false},
}};

constexpr std::array<std::string_view, 8> kKinds{"SPOT", "WASH", "BEAM", "PROFILE",
                                                 "LED PAR", "STROBE", "SCROLLER", "HAZER"};
constexpr std::array<std::string_view, 8> kLabels{"Open", "Red", "Blue", "Green",
                                                  "Strobe", "Closed", "Spin", "Shake"};

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string Hex(int value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%x", value);
  return buffer;
}

}  // namespace

GeneratedPersonality GeneratePersonality(std::uint64_t seed, std::size_t index) {
  Random random(seed * 0x100000001B3ULL + index);
  const auto rows = catalogue::ManufacturerRows();
  const catalogue::ManufacturerRow& maker = rows[index % rows.size()];
  const std::string number = [&] {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%05zu", index % 100000);
    return std::string(buffer);
  }();
  const std::string_view kind = random.Pick(kKinds);

  GeneratedPersonality result;
  result.fileName = std::string(maker.code) + number + ".QPF";
  // Code, a dot, two letters of the kind and the number: unique and at most 12 characters.
  result.deviceName = std::string(maker.code) + "." + std::string(kind.substr(0, 2)) + number;
  result.deviceName.resize(std::min<std::size_t>(result.deviceName.size(), 12));

  std::string& text = result.text;
  const auto line = [&text](std::string_view content) {
    text.append(content);
    text.append("\r\n");
  };
  std::string makerName(maker.name);
  while (!makerName.empty() && makerName.back() == ' ') makerName.pop_back();
  const int channels = random.Between(1, 40);

  line(";==============================================================");
  line("; " + makerName + " " + std::string(kind) + " " + number + ", " + std::to_string(channels) +
       " channels");
  line("; generated personality");
  line(";==============================================================");
  line("DEVICE  " + Padded(result.deviceName, 40) + std::string(kind) + " " +
       std::to_string(channels) + "CH");
  line("NAME \"" + makerName + "\" \"" + std::string(kind) + " " + number + "\"");
  line("TYPE  1  " + std::to_string(random.Between(1, 4)) + "  M");
  if (random.Chance(80)) {
    line("MIRROR  2  " + std::to_string(random.Pick(std::array{360, 450, 540, 630})) + " " +
         std::to_string(random.Between(180, 300)));
  }
  line("DEVICEADDRESS");
  line("\"Handle  %2d\"h");
  line("\"Fixture %11s\"n");
  line("\"DMX     %03d\"d");
  line("DAEND");
  line("MINDMX=1");
  line("MAXDMX=" + std::to_string(513 - channels));
  line("DIVBY=1");

  line("DMX");
  line(";ch attr b  step  %  grp   curve name            high home low");
  std::vector<std::string> names;
  for (int ch = 1; ch <= channels; ++ch) {
    const Attribute& attribute = ch == channels ? kAttributes[15] : random.Pick(kAttributes);
    const bool fine = ch > 1 && random.Chance(15);
    std::string name = std::string(attribute.name) + (fine ? " Fine" : "");
    if (name.size() > 12) name.resize(12);
    names.push_back(name);
    const int home = attribute.homeMid ? 128 : (random.Chance(20) ? 255 : 0);
    line(Padded(std::to_string(ch), 4) + Padded(std::to_string(attribute.number), 4) +
         (fine ? "L" : "H") + "    1  100 " + std::to_string(random.Between(1, 5)) +
         attribute.curve + "  " + (attribute.name == "Shutter" ? "H" : "L") + "   1   " +
         Padded("\"" + name + "\"", 16) + Padded(std::to_string(random.Between(128, 255)), 5) +
         Padded(std::to_string(home), 5) + std::to_string(random.Between(0, 64)));
  }
  line("END");

  line("TEXT");
  line(makerName);
  line(std::string(kind) + ", " + std::to_string(channels) + " channels");
  for (int i = random.Between(0, 4); i > 0; --i) line("Note " + std::to_string(i) + ": generated");
  line("END");

  if (channels > 2 && random.Chance(60)) {
    line("ATTR \"Main\"");
    for (int ch = 1; ch <= std::min(channels, 8); ++ch) {
      line(Padded(names[static_cast<std::size_t>(ch - 1)], 14) + std::to_string(ch));
    }
    line("END");
  }
  for (int table = random.Chance(70) ? random.Between(1, 4) : 0; table > 0; --table) {
    const int ch = random.Between(1, channels);
    line("RANGE " + std::to_string(ch) + " \"" + names[static_cast<std::size_t>(ch - 1)] + "\"");
    const int steps = random.Between(2, 12);
    for (int step = 0; step < steps; ++step) {
      const int from = step * 256 / steps;
      const int to = (step + 1) * 256 / steps - 1;
      line(Padded(std::to_string(from), 5) + Padded(std::to_string(to), 6) + "\"" +
           std::string(random.Pick(kLabels)) + "\"" + (random.Chance(10) ? "   ; note" : ""));
    }
    line("REND");
  }
  if (channels >= 2 && random.Chance(40)) {
    line("PFTABLE \"Positions\"  0  1  2");
    for (int row = random.Between(1, 10); row > 0; --row) {
      line(Padded("\"Pos " + std::to_string(row) + "\"", 12) + "0  " + Hex(random.Between(0, 255)) +
           "  " + Hex(random.Between(0, 255)));
    }
    line("PFEND");
  }
  if (random.Chance(30)) {
    line("MACRO \"Lamp On\"  0  " + std::to_string(channels));
    line("\"Strike\"      0  e6");
    line("\"Hold\"       50  e6");
    line("\"Release\"     0  0");
    line("MEND");
  }
  return result;
}

std::vector<std::filesystem::path> WritePersonalities(const std::filesystem::path& directory,
                                                      std::size_t count, std::uint64_t seed) {
  std::filesystem::create_directories(directory);
  std::vector<std::filesystem::path> paths;
  paths.reserve(count);
  for (std::size_t index = 0; index < count; ++index) {
    const GeneratedPersonality personality = GeneratePersonality(seed, index);
    const std::filesystem::path path = directory / personality.fileName;
    std::ofstream out(path, std::ios::binary);
    out << personality.text;
    if (!out.flush()) {
      throw std::filesystem::filesystem_error("cannot write", path,
                                              std::make_error_code(std::errc::io_error));
    }
    paths.push_back(path);
  }
  return paths;
}

}  // namespace hoardwright::tools
