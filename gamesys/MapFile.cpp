#include "gamesys/MapFile.h"

#include <cstring>

#include "lumo/FileBytes.h"

namespace GFC {

namespace {

// The file layer seeks with signed 32-bit offsets.
constexpr uint32_t kMaxSeekOffset = 0x7FFFFFFFu;

}  // namespace

uint32_t RecordsInFile(const tagMapSection& s, uint32_t recordSize, uint32_t fileSize) {
    if (s.count <= 0 || s.offset >= fileSize || recordSize == 0) {
        return 0;
    }
    const uint64_t started = (uint64_t(fileSize - s.offset) + recordSize - 1) / recordSize;
    return started < uint64_t(s.count) ? uint32_t(started) : uint32_t(s.count);
}

bool SectionFits(const tagMapSection& s, uint32_t recordSize, uint32_t fileSize) {
    if (s.count <= 0) {
        return true;
    }
    return s.offset <= kMaxSeekOffset &&
           RecordsInFile(s, recordSize, fileSize) == uint32_t(s.count);
}

MapFileReader::MapFileReader(FsFile& file) : m_file(file) {
    m_fileSize = Lumo::BytesLeft(file.GetFS(), file.GetHandle());
    uint8_t raw[sizeof(tagGameMapHeader)] = {};
    file.Read(raw, sizeof raw);
    std::memcpy(&m_header, raw, sizeof m_header);
}

bool MapFileReader::HasMagic() const {
    return std::memcmp(m_header.magic, kMapMagic, sizeof m_header.magic) == 0;
}

const tagMapSection& MapFileReader::Section(EMapSection s) const {
    return m_header.*kMapSectionKinds[s].field;
}

bool MapFileReader::Fits(EMapSection s) const {
    return SectionFits(Section(s), kMapSectionKinds[s].recordSize, m_fileSize);
}

EMapSection MapFileReader::FirstDamaged(std::initializer_list<EMapSection> sections) const {
    for (EMapSection s : sections) {
        if (!Fits(s)) {
            return s;
        }
    }
    return MS_COUNT;
}

uint32_t MapFileReader::RecordsInFile(EMapSection s) const {
    return GFC::RecordsInFile(Section(s), kMapSectionKinds[s].recordSize, m_fileSize);
}

bool MapFileReader::LastRecordCut(EMapSection s) const {
    const tagMapSection& sec = Section(s);
    return sec.count > 0 && Fits(s) &&
           uint64_t(sec.offset) + uint64_t(sec.count) * kMapSectionKinds[s].recordSize > m_fileSize;
}

}  // namespace GFC
