#include "patcher/Signatures.h"

#include <algorithm>

#include "patcher/CConfigFile.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

PublisherKeys ReadPublisherKeys(const CConfigFile& config) {
    PublisherKeys out;
    const int listed = std::clamp<int32_t>(config.GetInt("sign num"), 0, kMaxPublisherKeys);
    out.required = listed > 0;
    for (int i = 0; i < listed; ++i) {
        const std::string name = "key" + std::to_string(i);
        const std::string line = config.GetString(("sign " + name).c_str());
        std::string why;
        if (std::optional<sign::PublicKey> key = sign::ParsePublicKey(line, &why)) {
            out.keys.push_back(*key);
        } else {
            out.unusable.push_back(name + ": " + why);
        }
    }
    return out;
}

PublisherKeys ReadPublisherKeysOf(const std::string& folder) {
    CConfigFile config;
    if (!config.Load((folder + "\\update.ini").c_str(), true)) {
        return {};
    }
    return ReadPublisherKeys(config);
}

void DeletePackage(const std::string& packagePath) {
    (void)platform::DeleteFile(packagePath);
    (void)platform::DeleteFile(packagePath + kSignatureSuffix);
}

sign::Check CheckPackageSignature(const std::string& packagePath, const std::string& fileName,
                                  const PublisherKeys& keys) {
    sign::Check check = sign::VerifySignedFile(packagePath, keys.keys, fileName);
    if (check.verdict == sign::Verdict::kForeignKey && !keys.unusable.empty()) {
        // Say why a key the publisher meant to list did not count.
        for (const std::string& u : keys.unusable) {
            check.reason += "; update.ini [sign] " + u;
        }
    }
    return check;
}
