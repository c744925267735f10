// The LZSS format of method 4: a 4,096-byte ring, matches of 3 to 18 bytes
// found with binary search trees of the ring's strings.
#include <cstring>
#include <memory>

#include "cpk/Codec.h"

namespace {

constexpr int kRing = 4096;                // ring size; positions are 12 bits
constexpr int kMaxMatch = 18;              // longest reference
constexpr int kMinMatch = 3;               // shortest reference; shorter runs are literals
constexpr int kStart = kRing - kMaxMatch;  // first write position (4,078)
constexpr int kNil = kRing;                // "no node" in the trees
constexpr uint8_t kFill = 0x20;            // the ring's initial contents

// The encoder's ring and trees (about 55 KiB), one per call.
struct EncoderState {
    // The ring plus a mirror of its first kMaxMatch - 1 bytes past the end,
    // so that comparisons never wrap.
    uint8_t ring[kRing + kMaxMatch - 1];
    // Children and parents of the string nodes; rson[kRing + 1 + c] is the
    // root of the tree of strings beginning with byte c.
    int lson[kRing + 1];
    int rson[kRing + 257];
    int dad[kRing + 1];
    int matchPosition = 0;
    int matchLength = 0;

    EncoderState() {
        std::memset(ring, kFill, sizeof ring);
        for (int i = kRing + 1; i <= kRing + 256; ++i) {
            rson[i] = kNil;
        }
        for (int i = 0; i < kRing; ++i) {
            dad[i] = kNil;
        }
    }

    // Inserts the string at r and finds the longest match for it; a string
    // equal over kMaxMatch bytes replaces the older node.
    void InsertNode(int r) {
        int cmp = 1;
        const uint8_t* key = &ring[r];
        int p = kRing + 1 + key[0];
        rson[r] = lson[r] = kNil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson[p] != kNil) {
                    p = rson[p];
                } else {
                    rson[p] = r;
                    dad[r] = p;
                    return;
                }
            } else {
                if (lson[p] != kNil) {
                    p = lson[p];
                } else {
                    lson[p] = r;
                    dad[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < kMaxMatch; ++i) {
                cmp = static_cast<int>(key[i]) - static_cast<int>(ring[p + i]);
                if (cmp != 0) {
                    break;
                }
            }
            if (i > matchLength) {
                matchPosition = p;
                matchLength = i;
                if (matchLength >= kMaxMatch) {
                    break;
                }
            }
        }
        dad[r] = dad[p];
        lson[r] = lson[p];
        rson[r] = rson[p];
        dad[lson[p]] = r;
        dad[rson[p]] = r;
        if (rson[dad[p]] == p) {
            rson[dad[p]] = r;
        } else {
            lson[dad[p]] = r;
        }
        dad[p] = kNil;
    }

    void DeleteNode(int p) {
        if (dad[p] == kNil) {
            return;
        }
        int q;
        if (rson[p] == kNil) {
            q = lson[p];
        } else if (lson[p] == kNil) {
            q = rson[p];
        } else {
            q = lson[p];
            if (rson[q] != kNil) {
                do {
                    q = rson[q];
                } while (rson[q] != kNil);
                rson[dad[q]] = lson[q];
                dad[lson[q]] = dad[q];
                lson[q] = lson[p];
                dad[lson[p]] = q;
            }
            rson[q] = rson[p];
            dad[rson[p]] = q;
        }
        dad[q] = dad[p];
        if (rson[dad[p]] == p) {
            rson[dad[p]] = q;
        } else {
            lson[dad[p]] = q;
        }
        dad[p] = kNil;
    }
};

}  // namespace

int LzssDecode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
               uint32_t destinationCapacity, uint32_t* destinationLength) {
    uint8_t ring[kRing];
    std::memset(ring, kFill, kStart);
    std::memset(ring + kStart, 0, kRing - kStart);  // never a source before it is written
    int r = kStart;
    uint32_t in = 0;
    uint32_t out = 0;
    unsigned flags = 0;  // flag bits, with a marker bit (0x100 << n) counting those left
    *destinationLength = 0;
    for (;;) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            if (in >= sourceLength) {
                break;
            }
            flags = source[in++] | 0xFF00u;
        }
        if (flags & 1) {
            if (in >= sourceLength) {
                break;
            }
            if (out >= destinationCapacity) {
                *destinationLength = out;
                return kLzssOutputOverrun;
            }
            uint8_t c = source[in++];
            destination[out++] = c;
            ring[r] = c;
            r = (r + 1) & (kRing - 1);
        } else {
            if (sourceLength - in < 2) {
                break;
            }
            unsigned b0 = source[in++];
            unsigned b1 = source[in++];
            int p = static_cast<int>(b0 | ((b1 & 0xF0u) << 4));
            int length = static_cast<int>(b1 & 0x0Fu) + kMinMatch;
            for (int k = 0; k < length; ++k) {
                if (out >= destinationCapacity) {
                    *destinationLength = out;
                    return kLzssOutputOverrun;
                }
                uint8_t c = ring[(p + k) & (kRing - 1)];
                destination[out++] = c;
                ring[r] = c;
                r = (r + 1) & (kRing - 1);
            }
        }
    }
    *destinationLength = out;
    return 1;
}

int LzssEncode(const uint8_t* source, uint32_t sourceLength, uint8_t* destination,
               uint32_t destinationCapacity, uint32_t* destinationLength) {
    *destinationLength = 0;
    if (sourceLength == 0) {
        return 1;
    }
    auto st = std::make_unique<EncoderState>();
    uint32_t in = 0;
    uint32_t out = 0;
    uint8_t group[1 + 2 * 8];  // flag byte and up to eight items
    int groupLength = 1;
    uint8_t mask = 1;
    group[0] = 0;

    int s = 0;
    int r = kStart;
    int len = 0;
    while (len < kMaxMatch && in < sourceLength) {
        st->ring[r + len] = source[in++];
        ++len;
    }
    for (int i = 1; i <= kMaxMatch; ++i) {
        st->InsertNode(r - i);
    }
    st->InsertNode(r);
    do {
        if (st->matchLength > len) {
            st->matchLength = len;
        }
        if (st->matchLength < kMinMatch) {
            st->matchLength = 1;
            group[0] |= mask;
            group[groupLength++] = st->ring[r];
        } else {
            group[groupLength++] = static_cast<uint8_t>(st->matchPosition);
            group[groupLength++] = static_cast<uint8_t>(((st->matchPosition >> 4) & 0xF0) |
                                                        (st->matchLength - kMinMatch));
        }
        mask = static_cast<uint8_t>(mask << 1);
        if (mask == 0) {
            if (destinationCapacity - out < static_cast<uint32_t>(groupLength)) {
                *destinationLength = out;
                return kLzssOutputOverrun;
            }
            std::memcpy(destination + out, group, static_cast<size_t>(groupLength));
            out += static_cast<uint32_t>(groupLength);
            group[0] = 0;
            groupLength = 1;
            mask = 1;
        }
        int consumed = st->matchLength;
        int i = 0;
        for (; i < consumed && in < sourceLength; ++i) {
            uint8_t c = source[in++];
            st->DeleteNode(s);
            st->ring[s] = c;
            if (s < kMaxMatch - 1) {
                st->ring[s + kRing] = c;
            }
            s = (s + 1) & (kRing - 1);
            r = (r + 1) & (kRing - 1);
            st->InsertNode(r);
        }
        for (; i < consumed; ++i) {
            st->DeleteNode(s);
            s = (s + 1) & (kRing - 1);
            r = (r + 1) & (kRing - 1);
            if (--len) {
                st->InsertNode(r);
            }
        }
    } while (len > 0);
    if (groupLength > 1) {
        if (destinationCapacity - out < static_cast<uint32_t>(groupLength)) {
            *destinationLength = out;
            return kLzssOutputOverrun;
        }
        std::memcpy(destination + out, group, static_cast<size_t>(groupLength));
        out += static_cast<uint32_t>(groupLength);
    }
    *destinationLength = out;
    return 1;
}
