#include "patcher/VersionRecord.h"

#include <cstdio>

#include "platform/file.h"

namespace {

platform::Result<platform::File> OpenRecord() {
    return platform::File::Open(kVersionFile, platform::Access::kReadWrite,
                                platform::kShareRead | platform::kShareWrite,
                                platform::Disposition::kOpenAlways);
}

uint32_t ReadLe32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void WriteLe32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace

std::string FormatVersionText(int32_t version) {
    char text[32];
    std::snprintf(text, sizeof text, "VER:1.0.%ld", static_cast<long>(version));
    return text;
}

int32_t ReadInstalledVersion(const ShowVersionText& show) {
    auto f = OpenRecord();
    if (!f) {
        // A record that cannot be written (a read-only game folder) still
        // says which version is installed: taken as 0, it would fetch and
        // unpack the whole way from 0 again, or find no way at all.
        f = platform::File::Open(kVersionFile, platform::Access::kRead,
                                 platform::kShareRead | platform::kShareWrite,
                                 platform::Disposition::kOpenExisting);
    }
    if (!f) {
        return -1;
    }
    unsigned char record[kVersionRecordSize];
    size_t got = 0;
    while (got < sizeof record) {
        auto n = f->Read(record + got, sizeof record - got);
        if (!n || *n == 0) {
            break;
        }
        got += *n;
    }
    int32_t version = 0;
    if (got == sizeof record && ReadLe32(record) == kVersionMagic) {
        version = static_cast<int32_t>(ReadLe32(record + 4));
    }
    f->Close();
    if (show) {
        show(FormatVersionText(version));
    }
    return version;
}

bool WriteInstalledVersion(int32_t v, const ShowVersionText& show) {
    auto f = OpenRecord();
    if (!f) {
        return false;
    }
    unsigned char record[kVersionRecordSize];
    WriteLe32(record, kVersionMagic);
    WriteLe32(record + 4, static_cast<uint32_t>(v));
    bool ok = f->WriteAt(0, record, sizeof record).ok();
    f->Close();
    if (show) {
        show(FormatVersionText(v));
    }
    return ok;
}
