// The messages between the arena example's clients and its server. Every
// message starts with the framework's 4-byte header (kind, total length;
// little-endian) and has a fixed length per kind. Both sides write and read
// them field by field.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace arena {

constexpr int kArenaWidth = 640;  // positions run 0..width-1, 0..height-1
constexpr int kArenaHeight = 480;
constexpr size_t kNameBytes = 16;  // zero-padded, at most 15 characters

enum MsgKind : uint16_t {
    kHello = 1,    // client -> server: name
    kWelcome = 2,  // server -> client: the client's player id
    kMove = 3,     // client -> server: x, y wanted
    kPos = 4,      // server -> clients: a player's id, x, y, name
    kLeave = 5,    // server -> clients: a player's id, gone
};

constexpr uint16_t kHeaderBytes = 4;
constexpr uint16_t kHelloBytes = kHeaderBytes + kNameBytes;
constexpr uint16_t kWelcomeBytes = kHeaderBytes + 4;
constexpr uint16_t kMoveBytes = kHeaderBytes + 8;
constexpr uint16_t kPosBytes = kHeaderBytes + 12 + kNameBytes;
constexpr uint16_t kLeaveBytes = kHeaderBytes + 4;

// The fixed length of a kind; 0 for a kind that does not exist.
inline uint16_t MsgBytes(uint16_t kind) {
    switch (kind) {
        case kHello:
            return kHelloBytes;
        case kWelcome:
            return kWelcomeBytes;
        case kMove:
            return kMoveBytes;
        case kPos:
            return kPosBytes;
        case kLeave:
            return kLeaveBytes;
        default:
            return 0;
    }
}

inline int ClampX(int x) {
    return x < 0 ? 0 : (x >= kArenaWidth ? kArenaWidth - 1 : x);
}
inline int ClampY(int y) {
    return y < 0 ? 0 : (y >= kArenaHeight ? kArenaHeight - 1 : y);
}

// Writes messages.
class MsgWriter {
public:
    explicit MsgWriter(uint16_t kind) {
        U16(kind);
        U16(MsgBytes(kind));
    }
    MsgWriter& U16(uint16_t v) {
        m_bytes.push_back(static_cast<uint8_t>(v));
        m_bytes.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    MsgWriter& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
        return *this;
    }
    MsgWriter& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    MsgWriter& Name(const std::string& name) {
        char field[kNameBytes] = {};
        std::memcpy(field, name.data(), name.size() < kNameBytes ? name.size() : kNameBytes - 1);
        m_bytes.insert(m_bytes.end(), field, field + kNameBytes);
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

// Reads the fields of one message whose length has been checked.
class MsgReader {
public:
    explicit MsgReader(const void* msg) : m_p(static_cast<const uint8_t*>(msg) + kHeaderBytes) {}
    static uint16_t Kind(const void* msg) {
        const uint8_t* p = static_cast<const uint8_t*>(msg);
        return static_cast<uint16_t>(p[0] | (p[1] << 8));
    }
    uint32_t U32() {
        uint32_t v = uint32_t(m_p[0]) | (uint32_t(m_p[1]) << 8) | (uint32_t(m_p[2]) << 16) |
                     (uint32_t(m_p[3]) << 24);
        m_p += 4;
        return v;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    std::string Name() {
        std::string s(reinterpret_cast<const char*>(m_p), kNameBytes);
        m_p += kNameBytes;
        return s.substr(0, s.find('\0'));
    }

private:
    const uint8_t* m_p;
};

}  // namespace arena
