// Any bytes as a public key line and as a minisign.pub file. A key the
// reader accepts is written canonically: its bytes, encoded again, are the
// line it read (without the blanks around it).
#include <sodium.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "sign/Minisign.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

std::string Canonical(const sign::PublicKey& key) {
    uint8_t raw[42] = {'E', 'd'};
    std::copy(key.id.begin(), key.id.end(), raw + 2);
    std::copy(key.key.begin(), key.key.end(), raw + 10);
    std::string out(sodium_base64_ENCODED_LEN(sizeof raw, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(&out[0], out.size(), raw, sizeof raw, sodium_base64_VARIANT_ORIGINAL);
    out.resize(out.size() - 1);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string why;
    if (auto key = sign::ParsePublicKey(text, &why)) {
        Check(text.find(Canonical(*key)) != std::string::npos);
        std::string id = sign::KeyIdText(key->id);
        Check(!id.empty() && id.size() <= 16 && (id == "0" || id[0] != '0'));
    } else {
        Check(!why.empty());
    }
    why.clear();
    if (auto key = sign::ParsePublicKeyFile(text, &why)) {
        Check(text.size() <= sign::kMinisigBytesMax);
        Check(text.find(Canonical(*key)) != std::string::npos);
    } else {
        Check(!why.empty());
    }
    return 0;
}
