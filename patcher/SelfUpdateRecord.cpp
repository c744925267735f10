#include "patcher/SelfUpdateRecord.h"

#include "cpk/Md5.h"
#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

constexpr const char* kSection = "patcher";

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "\\" + name;
}

std::string RecordPath(const std::string& folder) {
    return Join(folder, kSelfUpdateRecordFile);
}

std::string IncomingPath(const std::string& folder, const std::string& name) {
    return Join(folder, "download\\" + name);
}

// "" when the file cannot be read.
std::string Md5TextOf(const std::string& path) {
    uint8_t digest[16] = {};
    if (Md5OfFile(path.c_str(), digest) == 0) {
        return std::string();
    }
    return Md5Hex(digest);
}

}  // namespace

bool RecordUnpackedPatcher(const std::string& folder, const std::string& name) {
    const std::string md5 = Md5TextOf(IncomingPath(folder, name));
    if (md5.empty()) {
        return false;
    }
    const std::string record = RecordPath(folder);
    return platform::WriteProfileString(kSection, "name", name, record).ok() &&
           platform::WriteProfileString(kSection, "md5", md5, record).ok();
}

std::string UnpackedPatcherProblem(const std::string& folder, const std::string& name) {
    const std::string record = RecordPath(folder);
    const std::string recordedName = platform::GetProfileString(kSection, "name", "", record);
    const std::string recordedMd5 = platform::GetProfileString(kSection, "md5", "", record);
    if (recordedName.empty() || recordedMd5.empty()) {
        return "no update unpacked it (" + std::string(kSelfUpdateRecordFile) +
               " names no new patcher)";
    }
    if (!platform::EqualsIgnoringAsciiCase(recordedName, name)) {
        return "the last update unpacked " + platform::GbkToUtf8(recordedName) + ", not it";
    }
    const std::string md5 = Md5TextOf(IncomingPath(folder, name));
    if (md5.empty()) {
        return "it cannot be read";
    }
    if (md5 != recordedMd5) {
        return "it is not the file the last update unpacked (MD5 " + md5 + ", unpacked " +
               recordedMd5 + ")";
    }
    return std::string();
}

void ForgetUnpackedPatcher(const std::string& folder) {
    (void)platform::DeleteFile(RecordPath(folder));
}
