#include "MapInfoTool.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "framework/FsFile.h"
#include "gamesys/GNavMap.h"
#include "gamesys/GameMap.h"
#include "gamesys/MapFile.h"
#include "lumo/DiskFS.h"
#include "lumo/Exception.h"
#include "lumo/MemFS.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace mapinfo {

namespace {

using GFC::GNavMap;

// ------------------------------------------------------------- map files

// A map file read by the game's own reader, from the bytes in memory.
struct MapBytes {
    explicit MapBytes(const std::string& bytes) {
        fs.AddFile("map", bytes);
        file = GFC::FsFile(&fs, "map");
    }
    Lumo::MemFS fs;
    GFC::FsFile file;
};

template <typename Rec>
void CheckUniqueIds(const std::vector<Rec>& records, const char* what,
                    std::vector<std::string>& broken) {
    std::map<uint32_t, int> seen;
    for (const Rec& r : records) {
        ++seen[r.id];
    }
    for (const auto& [id, n] : seen) {
        if (n > 1) {
            broken.push_back(std::string(what) + " id " + std::to_string(id) + " appears " +
                             std::to_string(n) + " times");
        }
    }
}

bool AllZero(const uint8_t* p, size_t n) {
    return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
}

std::vector<std::string> CheckMap(const std::string& bytes) {
    std::vector<std::string> broken;
    const size_t headerSize = sizeof(GFC::tagGameMapHeader);
    if (bytes.size() < headerSize) {
        broken.push_back("header is cut short (" + std::to_string(bytes.size()) + " of " +
                         std::to_string(headerSize) + " bytes)");
    }
    MapBytes in(bytes);
    GFC::MapFileReader reader(in.file);
    const GFC::tagGameMapHeader& h = reader.Header();
    if (!reader.HasMagic()) {
        broken.push_back("magic is not GMB");
    }
    if (h.zero0 != 0 || !AllZero(h.zero1, sizeof h.zero1) || !AllZero(h.zero2, sizeof h.zero2) ||
        !AllZero(h.zero3, sizeof h.zero3)) {
        broken.push_back("header bytes that must be zero are not");
    }

    struct Span {
        uint64_t begin, end;
        const char* name;
    };
    std::vector<Span> spans;
    for (int i = 0; i < GFC::MS_COUNT; ++i) {
        const auto s = static_cast<GFC::EMapSection>(i);
        const GFC::tagMapSectionKind& kind = GFC::kMapSectionKinds[s];
        const GFC::tagMapSection& sec = reader.Section(s);
        const std::string label = std::string(kind.name) + " section";
        if (sec.count < 0) {
            broken.push_back(label + ": negative count " + std::to_string(sec.count));
            continue;
        }
        if (sec.count == 0) {
            continue;
        }
        if (sec.offset < headerSize) {
            broken.push_back(label + ": starts inside the header (offset " +
                             std::to_string(sec.offset) + ")");
        }
        // The game refuses a map whose records start past the end (the
        // gathers it does not read); a last record cut short it keeps, with
        // zeros for the missing bytes.
        if (!reader.Fits(s)) {
            broken.push_back(label + ": " + std::to_string(sec.count) + " records at " +
                             std::to_string(sec.offset) + " run past the end of the file (" +
                             std::to_string(bytes.size()) + " bytes)");
        } else if (reader.LastRecordCut(s)) {
            broken.push_back(label + ": the last record is cut short by the end of the file (" +
                             std::to_string(bytes.size()) + " bytes)");
        }
        spans.push_back(
            {sec.offset, uint64_t(sec.offset) + uint64_t(sec.count) * kind.recordSize, kind.name});
    }
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.begin < b.begin; });
    for (size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].begin < spans[i - 1].end) {
            broken.push_back(std::string(spans[i - 1].name) + " and " + spans[i].name +
                             " sections overlap");
        }
    }

    for (int i = 0; i < 4; ++i) {
        if (h.weather[i] < 0 || h.weather[i] >= GFC::kWeatherKinds) {
            broken.push_back("weather value " + std::to_string(i) + " is " +
                             std::to_string(h.weather[i]) + ", outside 0..17");
        }
    }
    if (std::memchr(h.cityName, 0, sizeof h.cityName) == nullptr) {
        broken.push_back("city name has no terminator within its 36 bytes");
    }

    // The records as the game reads them, a last one cut short included.
    CheckUniqueIds(reader.ReadInFile<GFC::tagDynamicMapObj>(), "dynamic object", broken);
    CheckUniqueIds(reader.ReadInFile<GFC::tagMapNPC>(), "NPC", broken);
    CheckUniqueIds(reader.ReadInFile<GFC::tagStaticMapObj>(), "static object", broken);
    for (const GFC::tagMapWayPoint& wp : reader.ReadInFile<GFC::tagMapWayPoint>()) {
        if (std::memchr(wp.name, 0, sizeof wp.name) == nullptr) {
            broken.push_back("a way point name has no terminator within its 32 bytes");
            break;
        }
    }
    for (const GFC::tagMapTrigger& t : reader.ReadInFile<GFC::tagMapTrigger>()) {
        if (t.tileX0 > t.tileX1 || t.tileZ0 > t.tileZ1) {
            broken.push_back("trigger " + std::to_string(t.id) +
                             ": corners out of order, its area is empty");
        }
    }
    return broken;
}

const char* YesNo(bool b) {
    return b ? "yes" : "no";
}

int ShowMap(const std::string& bytes, std::ostream& out, std::ostream& err,
            const std::string& shown) {
    // Exactly what the game loads, and the game's refusal.
    MapBytes in(bytes);
    GFC::GameMap map;
    try {
        map.LoadFromFile(&in.fs, "map");
    } catch (const Lumo::Exception& e) {
        err << "mapinfo: " << shown << ": " << e.GetMsg() << " (try --check)\n";
        return 1;
    }
    // The gathers are the editor's: the game skips them.
    GFC::MapFileReader reader(in.file);
    const GFC::tagMapSection& gathers = reader.Section(GFC::MS_GATHER);
    GFC::EWeather w[4];
    map.GetWeatherType(w[0], w[1], w[2], w[3]);
    std::set<std::string> paths;
    for (const GFC::tagMapWayPoint& wp : map.GetWayPoints()) {
        paths.insert(std::string(wp.name, strnlen(wp.name, sizeof wp.name)));
    }
    out << "kind: map\n";
    out << "map index: " << map.GetMapIndex() << '\n';
    out << "city: " << platform::GbkToUtf8(map.GetCityName()) << '\n';
    out << "time zone: " << map.GetTimeZone() << '\n';
    out << "weather: " << w[0] << ' ' << w[1] << ' ' << w[2] << ' ' << w[3] << '\n';
    out << "dungeon: " << YesNo(map.GetDungeon()) << '\n';
    out << "instance: " << YesNo(map.IsInstance()) << '\n';
    out << "instance time: " << map.GetInstanceTime() << '\n';
    out << "reputation: " << map.GetReputation() << '\n';
    out << "cannot mount: " << YesNo(map.CannotMount()) << '\n';
    out << "cannot transmit: " << YesNo(map.CannotTransmit()) << '\n';
    out << "dynamic objects: " << map.GetDynamicMapObjs().size() << '\n';
    out << "NPCs: " << map.GetNpc().size() << '\n';
    out << "static objects: " << map.GetStaticMapObjs().size() << '\n';
    out << "way points: " << map.GetWayPoints().size() << " in " << paths.size() << " paths\n";
    out << "triggers: " << map.GetTriggers().size() << '\n';
    out << "sounds: " << map.GetSounds().size() << '\n';
    out << "chop fields: " << map.GetChopFields().size() << '\n';
    out << "gathers: " << std::max(0, gathers.count);
    if (!reader.Fits(GFC::MS_GATHER)) {
        out << " claimed, " << reader.RecordsInFile(GFC::MS_GATHER)
            << " in the file (the editor refuses the map)";
    }
    out << '\n';
    return 0;
}

// ------------------------------------------------------- maze-wall files

// The header of a maze-wall file, zero where the file is cut short.
GFC::tagMazeFileHeader MazeHeader(const std::string& bytes) {
    uint8_t raw[sizeof(GFC::tagMazeFileHeader)] = {};
    std::memcpy(raw, bytes.data(), std::min(bytes.size(), sizeof raw));
    GFC::tagMazeFileHeader h;
    std::memcpy(&h, raw, sizeof h);
    return h;
}

// The walls as the editor reads them: every record the section claims, or
// none when the section does not fit.
std::vector<GFC::tagMazeWallObj> MazeWalls(const std::string& bytes) {
    const GFC::tagMazeFileHeader h = MazeHeader(bytes);
    std::vector<GFC::tagMazeWallObj> walls;
    if (!GFC::SectionFits(h.walls, sizeof(GFC::tagMazeWallObj),
                          static_cast<uint32_t>(bytes.size()))) {
        return walls;
    }
    // A last record cut short is read as far as it goes, the rest zero, as
    // the editor reads it.
    for (int32_t i = 0; i < h.walls.count; ++i) {
        const size_t at = h.walls.offset + size_t(i) * sizeof(GFC::tagMazeWallObj);
        uint8_t raw[sizeof(GFC::tagMazeWallObj)] = {};
        std::memcpy(raw, bytes.data() + at, std::min(sizeof raw, bytes.size() - at));
        GFC::tagMazeWallObj w;
        std::memcpy(&w, raw, sizeof w);
        walls.push_back(w);
    }
    return walls;
}

std::vector<std::string> CheckMaze(const std::string& bytes) {
    std::vector<std::string> broken;
    const size_t headerSize = sizeof(GFC::tagMazeFileHeader);
    if (bytes.size() < headerSize) {
        broken.push_back("header is cut short (" + std::to_string(bytes.size()) + " of " +
                         std::to_string(headerSize) + " bytes)");
    }
    const GFC::tagMazeFileHeader h = MazeHeader(bytes);
    if (std::memcmp(h.magic, GFC::kMazeMagic, sizeof h.magic) != 0) {
        broken.push_back("magic is not GMA");
    }
    if (h.zero0 != 0 || !AllZero(h.zero1, sizeof h.zero1)) {
        broken.push_back("header bytes that must be zero are not");
    }
    if (h.walls.count < 0) {
        broken.push_back("wall count is negative (" + std::to_string(h.walls.count) + ")");
    } else if (h.walls.count > 0 && h.walls.offset < headerSize) {
        broken.push_back("walls start inside the header (offset " + std::to_string(h.walls.offset) +
                         ")");
    } else if (!GFC::SectionFits(h.walls, sizeof(GFC::tagMazeWallObj),
                                 static_cast<uint32_t>(bytes.size()))) {
        broken.push_back(std::to_string(h.walls.count) + " walls at " +
                         std::to_string(h.walls.offset) + " run past the end of the file (" +
                         std::to_string(bytes.size()) + " bytes)");
    } else if (h.walls.count > 0) {
        const uint64_t end =
            uint64_t(h.walls.offset) + uint64_t(h.walls.count) * sizeof(GFC::tagMazeWallObj);
        if (end > bytes.size()) {
            broken.push_back("the last wall is cut short (" +
                             std::to_string(sizeof(GFC::tagMazeWallObj) - (end - bytes.size())) +
                             " of " + std::to_string(sizeof(GFC::tagMazeWallObj)) + " bytes)");
        }
    }
    CheckUniqueIds(MazeWalls(bytes), "wall", broken);
    return broken;
}

int ShowMaze(const std::string& bytes, std::ostream& out, std::ostream& err,
             const std::string& shown) {
    const GFC::tagMazeFileHeader h = MazeHeader(bytes);
    if (bytes.size() < sizeof h || std::memcmp(h.magic, GFC::kMazeMagic, sizeof h.magic) != 0 ||
        !GFC::SectionFits(h.walls, sizeof(GFC::tagMazeWallObj),
                          static_cast<uint32_t>(bytes.size()))) {
        // The editor refuses such a file as a whole.
        err << "mapinfo: " << shown << ": maze-wall file damaged (try --check)\n";
        return 1;
    }
    out << "kind: maze walls\n";
    out << "map index: " << h.mapIndex << '\n';
    out << "maze walls: " << std::max(0, h.walls.count) << '\n';
    return 0;
}

// ------------------------------------------------------ navigation files

struct NavKind {
    GNavMap::EFileKind kind;
    const char* label;
    const char* extension;
    int flagLayers;  // after the height layer
};

const NavKind kNavKinds[] = {
    {GNavMap::FK_NAV, "navigation", "nav", 4}, {GNavMap::FK_HM, "height layer", "hm", 0},
    {GNavMap::FK_CM, "can-go layer", "cm", 1}, {GNavMap::FK_DM, "doodad layer", "dm", 1},
    {GNavMap::FK_LM, "leap layer", "lm", 1},   {GNavMap::FK_SGM, "SuoGu layer", "sgm", 1},
};
const char* const kFlagNames[4] = {"can-go", "doodad", "leap", "SuoGu"};

std::string IdText(GNavMap::EFileKind kind) {
    const char* id = GNavMap::FileId(kind);
    return std::string(id, strnlen(id, 4));
}

// Reads the layers one by one, noting what is wrong instead of stopping at
// the first fault as the game's loader does.
std::vector<std::string> CheckNav(const std::string& bytes, const NavKind& k) {
    std::vector<std::string> broken;
    if (bytes.size() < 5) {
        broken.push_back("header is cut short (" + std::to_string(bytes.size()) + " of 5 bytes)");
        return broken;
    }
    if (std::memcmp(bytes.data(), GNavMap::FileId(k.kind), 4) != 0) {
        broken.push_back("identifier is not " + IdText(k.kind));
    }
    const uint8_t code = static_cast<uint8_t>(bytes[4]);
    if (code != 1 && code != 2) {
        broken.push_back("height format code is " + std::to_string(code) + ", not 1 or 2");
        return broken;
    }
    Lumo::MemFS fs;
    fs.AddFile("nav", bytes);
    Lumo::FHandle h = fs.Open("nav");
    fs.Seek(h, 5, Lumo::SEEK_ORIGIN_BEGIN);
    Lumo::Heightmap height;
    if (!height.ReadFromFile(&fs, h, code == 1 ? 0 : 1)) {
        broken.push_back("height layer cannot be read (damaged or cut short)");
        fs.Close(h);
        return broken;
    }
    for (int i = 0; i < k.flagLayers; ++i) {
        const char* name = k.flagLayers == 4 ? kFlagNames[i] : "flag";
        Lumo::BitMap layer;
        if (!layer.ReadFile(&fs, h)) {
            broken.push_back(std::string(name) + " layer cannot be read (damaged or cut short)");
            fs.Close(h);
            return broken;
        }
        if (layer.Width() != height.Width() || layer.Height() != height.Height()) {
            broken.push_back(std::string(name) + " layer is " + std::to_string(layer.Width()) +
                             " x " + std::to_string(layer.Height()) + ", the height layer " +
                             std::to_string(height.Width()) + " x " +
                             std::to_string(height.Height()));
        }
    }
    const uint32_t pos = fs.Tell(h);
    if (pos < bytes.size()) {
        broken.push_back(std::to_string(bytes.size() - pos) + " bytes after the last layer");
    }
    fs.Close(h);
    return broken;
}

int ShowNav(const std::string& bytes, const NavKind& k, std::ostream& out, std::ostream& err,
            const std::string& shown) {
    Lumo::MemFS fs;
    fs.AddFile("nav", bytes);
    GNavMap nav;
    void (GNavMap::*loaders[])(Lumo::IFS*, const char*) = {
        &GNavMap::LoadFromFile,   &GNavMap::LoadHMFromFile, &GNavMap::LoadCMFromFile,
        &GNavMap::LoadDMFromFile, &GNavMap::LoadLMFromFile, &GNavMap::LoadSGMFromFile};
    try {
        (nav.*loaders[k.kind])(&fs, "nav");
    } catch (const Lumo::Exception& e) {
        err << "mapinfo: " << shown << ": " << e.GetMsg() << " (try --check)\n";
        return 1;
    }
    const Lumo::Heightmap& hm = *nav.GetHeightMap();
    int lo = 0, hi = 0;
    for (unsigned z = 0; z < hm.Height(); ++z) {
        for (unsigned x = 0; x < hm.Width(); ++x) {
            const int v = hm.GetValue(int(x), int(z));
            if ((x == 0 && z == 0) || v < lo) {
                lo = v;
            }
            if ((x == 0 && z == 0) || v > hi) {
                hi = v;
            }
        }
    }
    out << "kind: " << k.label << " (" << IdText(k.kind) << ")\n";
    out << "size: " << nav.Width() << " x " << nav.Height() << '\n';
    out << "tile size: " << nav.GetTileSize() << '\n';
    out << "height scale: " << hm.GetZScale() << '\n';
    out << "height format: " << (hm.GetFormat() == 0 ? "16-bit" : "8-bit") << '\n';
    out << "heights: " << float(lo) * hm.GetZScale() << " .. " << float(hi) * hm.GetZScale()
        << '\n';
    auto count = [&](auto test) {
        size_t n = 0;
        for (unsigned z = 0; z < nav.Height(); ++z) {
            for (unsigned x = 0; x < nav.Width(); ++x) {
                n += test(int(x), int(z)) ? 1 : 0;
            }
        }
        return n;
    };
    switch (k.kind) {
        case GNavMap::FK_NAV:
            for (int mode = 0; mode < 3; ++mode) {
                out << "walkable in mode " << mode << ": "
                    << count([&](int x, int z) { return nav.IfCanPass(x, z, mode); }) << '\n';
            }
            out << "doodad tiles: " << count([&](int x, int z) { return nav.IfDoodad(x, z); })
                << '\n';
            break;
        case GNavMap::FK_CM:
            out << "walkable in mode 0: " << count([&](int x, int z) { return nav.IfCanGo(x, z); })
                << '\n';
            break;
        case GNavMap::FK_DM:
            out << "doodad tiles: " << count([&](int x, int z) { return nav.IfDoodad(x, z); })
                << '\n';
            break;
        case GNavMap::FK_LM:
            out << "leap tiles: " << count([&](int x, int z) { return nav.IfLeap(x, z); }) << '\n';
            break;
        case GNavMap::FK_SGM:
            out << "SuoGu tiles: " << count([&](int x, int z) { return nav.IfSuoGu(x, z); })
                << '\n';
            break;
        default:
            break;
    }
    return 0;
}

// ------------------------------------------------------------- the kind

std::string LowerExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t sep = path.find_last_of("\\/");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) {
        return "";
    }
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return ext;
}

// A maze-wall file: by its magic, or by its extension when the magic is not
// one of the other kinds'.
bool IsMaze(const std::string& bytes, const std::string& path) {
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), GFC::kMazeMagic, 4) == 0) {
        return true;
    }
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), GFC::kMapMagic, 4) == 0) {
        return false;
    }
    return LowerExtension(path) == "gma";
}

// The navigation kind of a file, or null for a map file.
const NavKind* NavKindOf(const std::string& bytes, const std::string& path) {
    if (bytes.size() >= 4) {
        if (std::memcmp(bytes.data(), GFC::kMapMagic, 4) == 0) {
            return nullptr;
        }
        for (const NavKind& k : kNavKinds) {
            if (std::memcmp(bytes.data(), GNavMap::FileId(k.kind), 4) == 0) {
                return &k;
            }
        }
    }
    const std::string ext = LowerExtension(path);
    for (const NavKind& k : kNavKinds) {
        if (ext == k.extension) {
            return &k;
        }
    }
    return nullptr;
}

}  // namespace

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "Shows a map file (GMB), a maze-wall file (GMA) or a navigation file (NAV, HM, CM, DM, "
        "LM, SGM): settings and section counts, wall counts, or size and walkable tiles."};
    std::string file;
    bool check = false;
    app.add_option("FILE", file, "the map, maze-wall or navigation file")->required();
    app.add_flag("--check", check, "exit 1 with one line per broken rule");
    if (std::optional<int> code = cli::Parse(app, "mapinfo", argc, argv, out, err)) {
        return *code;
    }

    const std::string path = platform::SystemPathFromNative(file);
    if (platform::IsDirectory(path)) {
        err << "mapinfo: " << file << " is a folder\n";
        return 1;
    }
    Lumo::DiskFS disk;
    const uint32_t size = disk.GetSize(path.c_str());
    if (size == Lumo::kMissingFileSize) {
        err << "mapinfo: cannot open " << file << '\n';
        return 1;
    }
    std::string bytes(size, '\0');
    if (size && disk.LoadFile(&bytes[0], size, path.c_str()) != size) {
        err << "mapinfo: cannot read " << file << '\n';
        return 1;
    }

    if (IsMaze(bytes, path)) {
        if (!check) {
            return ShowMaze(bytes, out, err, file);
        }
        const std::vector<std::string> broken = CheckMaze(bytes);
        for (const std::string& line : broken) {
            out << file << ": " << line << '\n';
        }
        return broken.empty() ? 0 : 1;
    }
    const NavKind* nav = NavKindOf(bytes, path);
    if (!check) {
        return nav ? ShowNav(bytes, *nav, out, err, file) : ShowMap(bytes, out, err, file);
    }
    const std::vector<std::string> broken = nav ? CheckNav(bytes, *nav) : CheckMap(bytes);
    for (const std::string& line : broken) {
        out << file << ": " << line << '\n';
    }
    return broken.empty() ? 0 : 1;
}

}  // namespace mapinfo
