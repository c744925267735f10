// The one reader of map files ("GMB", records in MapRecords.h), behind the
// game's loader (GameMap::LoadFromFile), the map editor
// (GameMapEditor::LoadFromEditFile) and mapinfo, so that they agree on what
// a file holds.
//
// What a file holds, by the game's rules:
// - the header is read into zeros: a file shorter than the header keeps
//   zeros in the missing bytes;
// - a section's records lie at its offset, one after another; sections may
//   overlap one another and the header, readers go by the offsets alone;
// - a count of 0 or less claims no records;
// - a section fits the file when every record it claims starts inside the
//   file: a last record cut short by the end of the file still counts, its
//   missing bytes keep the blank record's contents.
// Which sections must fit is the caller's rule: the game reads all but the
// gathers, the editor all but the dynamic objects.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "framework/FsFile.h"
#include "framework/GfcApi.h"
#include "gamesys/MapRecords.h"

namespace GFC {

// The sections in the order the editor writes them.
enum EMapSection : int {
    MS_DYNAMIC,
    MS_NPC,
    MS_STATIC,
    MS_WAYPOINT,
    MS_TRIGGER,
    MS_SOUND,
    MS_CHOPFIELD,
    MS_GATHER,
    MS_COUNT  // none
};

// What a section holds: its name in messages ("way point"), its record
// size, and its count and offset in the header.
struct tagMapSectionKind {
    const char* name;
    uint32_t recordSize;
    tagMapSection tagGameMapHeader::*field;
};

inline constexpr tagMapSectionKind kMapSectionKinds[MS_COUNT] = {
    {"dynamic object", sizeof(tagDynamicMapObj), &tagGameMapHeader::dynamics},
    {"NPC", sizeof(tagMapNPC), &tagGameMapHeader::npcs},
    {"static object", sizeof(tagStaticMapObj), &tagGameMapHeader::statics},
    {"way point", sizeof(tagMapWayPoint), &tagGameMapHeader::wayPoints},
    {"trigger", sizeof(tagMapTrigger), &tagGameMapHeader::triggers},
    {"sound", sizeof(tagMapSound), &tagGameMapHeader::sounds},
    {"chop field", sizeof(tagChopField), &tagGameMapHeader::chopFields},
    {"gather", sizeof(tagGatherObj), &tagGameMapHeader::gathers},
};

// The section each record kind is stored in.
template <typename Rec>
inline constexpr EMapSection kMapSectionOf = MS_COUNT;
template <>
inline constexpr EMapSection kMapSectionOf<tagDynamicMapObj> = MS_DYNAMIC;
template <>
inline constexpr EMapSection kMapSectionOf<tagMapNPC> = MS_NPC;
template <>
inline constexpr EMapSection kMapSectionOf<tagStaticMapObj> = MS_STATIC;
template <>
inline constexpr EMapSection kMapSectionOf<tagMapWayPoint> = MS_WAYPOINT;
template <>
inline constexpr EMapSection kMapSectionOf<tagMapTrigger> = MS_TRIGGER;
template <>
inline constexpr EMapSection kMapSectionOf<tagMapSound> = MS_SOUND;
template <>
inline constexpr EMapSection kMapSectionOf<tagChopField> = MS_CHOPFIELD;
template <>
inline constexpr EMapSection kMapSectionOf<tagGatherObj> = MS_GATHER;

// Records of recordSize bytes of section s that start inside a file of
// fileSize bytes (at most the count the section claims; 0 for a count of 0
// or less).
GFC_API uint32_t RecordsInFile(const tagMapSection& s, uint32_t recordSize, uint32_t fileSize);
// True when every record the section claims starts inside the file at a
// position the file layer can reach (a section claiming none always fits).
GFC_API bool SectionFits(const tagMapSection& s, uint32_t recordSize, uint32_t fileSize);

// Reads a section of a file the caller has checked with SectionFits: seeks
// to its offset (even for an empty section, as the game's loader does) and
// reads its records in file order, each starting as blank. Sections of any
// file of such records (the maze-wall file too) go through here.
template <typename Rec>
std::vector<Rec> ReadRecords(FsFile& file, const tagMapSection& s, const Rec& blank) {
    std::vector<Rec> out;
    const bool there = file.SeekTo(s.offset);
    if (s.count <= 0 || !there) {
        return out;
    }
    // The file backs every record the section was checked to claim, so this
    // allocation is bounded by the file's size.
    out.assign(size_t(s.count), blank);
    const uint64_t bytes = uint64_t(out.size()) * sizeof(Rec);
    file.Read(static_cast<void*>(out.data()),
              static_cast<uint32_t>(bytes < 0xFFFFFFFFu ? bytes : 0xFFFFFFFFu));
    return out;
}

// A map file opened through an engine file system: its header, read at
// construction, and its sections on demand. Reading moves the file's
// position; the file must stay open while the reader is used.
class GFC_API MapFileReader {
public:
    explicit MapFileReader(FsFile& file);

    const tagGameMapHeader& Header() const { return m_header; }
    uint32_t FileSize() const { return m_fileSize; }
    // True when the file starts with "GMB\0" (the game does not ask).
    bool HasMagic() const;

    const tagMapSection& Section(EMapSection s) const;
    bool Fits(EMapSection s) const;
    // The first of sections, in the order given, that does not fit the
    // file, or MS_COUNT when all do.
    EMapSection FirstDamaged(std::initializer_list<EMapSection> sections) const;
    // Records of s that start inside the file.
    uint32_t RecordsInFile(EMapSection s) const;
    // True when the section fits but its last record runs past the end of
    // the file (its missing bytes read as the blank record's).
    bool LastRecordCut(EMapSection s) const;

    // The records of Rec's section, each starting as blank. The section must
    // fit (Fits); one that does not reads nothing.
    template <typename Rec>
    std::vector<Rec> Read(const Rec& blank = Rec{}) {
        constexpr EMapSection s = SectionOf<Rec>();
        return Fits(s) ? ReadRecords(m_file, Section(s), blank) : std::vector<Rec>{};
    }

    // The records of Rec's section that start inside the file, a last one
    // cut short included, also of a section that does not fit: for checkers
    // that report on what a damaged file holds.
    template <typename Rec>
    std::vector<Rec> ReadInFile(const Rec& blank = Rec{}) {
        constexpr EMapSection s = SectionOf<Rec>();
        tagMapSection present = Section(s);
        present.count = int32_t(RecordsInFile(s));
        return ReadRecords(m_file, present, blank);
    }

private:
    template <typename Rec>
    static constexpr EMapSection SectionOf() {
        constexpr EMapSection s = kMapSectionOf<Rec>;
        static_assert(s != MS_COUNT && kMapSectionKinds[s].recordSize == sizeof(Rec),
                      "a record kind of the map file");
        return s;
    }

    FsFile& m_file;
    tagGameMapHeader m_header;
    uint32_t m_fileSize = 0;
};

}  // namespace GFC
