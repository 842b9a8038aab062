#include "catalogue/ManufacturerTable.h"

#include <algorithm>
#include <array>

namespace hoardwright::catalogue {
namespace {

constexpr std::array<ManufacturerRow, 127> kRows{{
    {"AB", "Abstract         "},  {"AC", "AC Lighting      "},  {"AME", "ACME             "},
    {"AK", "Alkalite         "},  {"ADJ", "American DJ      "}, {"AMP", "Amptown/Control.."},
    {"ANT", "Antarai          "}, {"ANY", "Anytronics       "}, {"AP", "Apollo           "},
    {"ASY", "ASY              "}, {"ATN", "Ayrton           "}, {"BX", "Botex            "},
    {"CH", "Chauvet          "},  {"CQ", "Chroma Q         "},  {"CT", "City Theatrical  "},
    {"CP", "Clay Paky        "},  {"CF", "Coef             "},  {"CM", "Coemar           "},
    {"CK", "Color Kinetics   "},  {"CLS", "CLS              "}, {"CO", "Contest          "},
    {"CLX", "Coolux           "}, {"DS", "Desisti          "},  {"DH", "DHA              "},
    {"DTC", "DiscoTech        "}, {"DV", "Diversotronic    "},  {"DML", "DML              "},
    {"DTS", "DTS              "}, {"EF", "Effects Company  "},  {"EL", "Elation          "},
    {"EC", "Electron         "},  {"EK", "Elektralite      "},  {"EM", "Eliminator Lig..."},
    {"ETC", "ETC              "}, {"EU", "Euro Tech        "},  {"FAL", "FAL              "},
    {"FFT", "FFT              "}, {"FI", "Fine Art         "},  {"FS", "Five Star Systems"},
    {"FL", "Fly              "},  {"FU", "FutureLight      "},  {"GN", "Geni             "},
    {"GE", "Genius           "},  {"GT", "Get Lit          "},  {"GL", "GLP              "},
    {"GH", "Green Hippo      "},  {"GR", "Griven           "},  {"HX", "Hardware Xenon   "},
    {"HE", "High End         "},  {"HQ", "HQ Power         "},  {"HB", "Hubbell          "},
    {"HG", "Hungaroflash     "},  {"ISL", "img Stage Line   "}, {"IR", "Irideon          "},
    {"ISO", "iSolution        "}, {"JT", "JTE              "},  {"VS", "JB Lighting      "},
    {"JM", "JEM              "},  {"LPO", "Lampo            "}, {"LA", "Laserage         "},
    {"LW", "Laserwurx        "},  {"LM", "Le Maitre        "},  {"LT", "Licht Technik    "},
    {"LI", "Lighting Innov..."},  {"LPT", "Lite-Puter       "}, {"LK", "Look Solutions   "},
    {"LL", "LumaLaser        "},  {"MAD", "Mad Lighting     "}, {"MT", "Martin           "},
    {"MS", "Master           "},  {"MD", "Medialas         "},  {"MI", "MiTec            "},
    {"MO", "Morpheus         "},  {"MH", "Motor Head       "},  {"MV", "Movitec          "},
    {"NI", "Nippon           "},  {"NJ", "NJD              "},  {"NU", "Nu-Light         "},
    {"NL", "Nullsoft         "},  {"OP", "Optikinetics     "},  {"PC", "PanCommand       "},
    {"PR", "PR Lighting      "},  {"PX", "Pixeon           "},  {"PL", "Proel            "},
    {"PT", "Prolights        "},  {"PB", "Publitec         "},  {"PS", "Pulsar           "},
    {"RL", "iRad             "},  {"RB", "Rainbow          "},  {"RO", "Robe             "},
    {"RG", "Ryger            "},  {"SAH", "Saggiter         "}, {"SG", "Sagitter         "},
    {"SCW", "Scan Wise        "}, {"SM", "SGM              "},  {"SH", "Showtec          "},
    {"SS", "Silver Star      "},  {"SK", "SkyTracker       "},  {"SLS", "SLS Hellas       "},
    {"SOF", "Soft Goods Cmp..."}, {"SND", "SoundLight       "}, {"SRC", "Source Manufac..."},
    {"SCA", "Space Cannon     "}, {"STA", "Star             "}, {"SLT", "Starlite         "},
    {"SW", "Starway          "},  {"STR", "Strand           "}, {"STG", "Strong           "},
    {"SD", "Studio Due       "},  {"SUM", "Summa            "}, {"SUP", "Supervision      "},
    {"SY", "Syncrolite       "},  {"TA", "TAS              "},  {"TEC", "Teclumen         "},
    {"TL", "Telectra         "},  {"TB", "Terbly           "},  {"TP", "Theatre Projects "},
    {"TR", "Trix             "},  {"UK", "Unknown          "},  {"VL", "Varilite         "},
    {"VLS", "Visualies        "}, {"VIS", "Visualiser       "}, {"WK", "Work             "},
    {"WWG", "WWG              "}, {"WB", "Wybron           "},  {"XV", "Xilver           "},
    {"XY", "XY Systems       "},
}};

static_assert(std::ranges::all_of(kRows, [](const ManufacturerRow& row) {
  return row.name.size() == kManufacturerNameLength && !row.code.empty() && row.code.size() <= 3;
}));

std::string UpperPrefix(std::string_view fileName, std::size_t length) {
  std::string key(fileName.substr(0, length));
  // ASCII only: codes are plain letters, whatever the locale says.
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

}  // namespace

std::span<const ManufacturerRow> ManufacturerRows() {
  return kRows;
}

ManufacturerMap LoadManufacturerMap() {
  ManufacturerMap map;
  for (const ManufacturerRow& row : kRows) map.emplace(row.code, row.name);
  return map;
}

std::string ManufacturerNameForFile(const ManufacturerMap& map, std::string_view fileName) {
  // The two-letter code is tried first, so a three-letter code that starts with a two-letter one
  // is never found.
  for (std::size_t length : {2U, 3U}) {
    if (fileName.size() < length) break;
    if (auto found = map.find(UpperPrefix(fileName, length)); found != map.end()) {
      return found->second;
    }
  }
  return "Unknown";
}

}  // namespace hoardwright::catalogue
