// Any bytes as the text of a .minisig file. What the reader accepts must be
// within its limits and written canonically: the fields it gives back,
// written out again, are the lines it read. The whole check then runs on it
// against a small file with a key of the signature's id, which reaches the
// Ed25519 checks with whatever the fuzzer made of the signatures.
#include <sodium.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_file.h"
#include "sign/Minisign.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

std::string Base64(const uint8_t* bytes, size_t size) {
    std::string out(sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(&out[0], out.size(), bytes, size, sodium_base64_VARIANT_ORIGINAL);
    out.resize(out.size() - 1);
    return out;
}

// The lines as the reader sees them: split at "\n", a "\r" before it dropped.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        size_t end = nl == std::string::npos ? text.size() : nl;
        size_t cut = end > start && text[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(text.substr(start, cut - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = sodium_init() >= 0;
    Check(ready);
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string why;
    std::optional<sign::Signature> sig = sign::ParseSignature(text, &why);
    if (!sig) {
        Check(!why.empty());
        (void)sign::VerifyFile("missing", text, {}, "a.bin");
        return 0;
    }
    Check(text.size() <= sign::kMinisigBytesMax);
    Check(sig->trustedComment.size() <= sign::kTrustedCommentBytesMax);
    Check(sig->trustedComment.find('\0') == std::string::npos);
    Check(sign::TrustedFileName(sig->trustedComment).size() <= sig->trustedComment.size());

    std::vector<std::string> lines = Lines(text);
    Check(lines.size() >= 4);
    uint8_t raw[74] = {'E', static_cast<uint8_t>(sig->prehashed ? 'D' : 'd')};
    std::copy(sig->keyId.begin(), sig->keyId.end(), raw + 2);
    std::copy(sig->signature.begin(), sig->signature.end(), raw + 10);
    Check(lines[1] == Base64(raw, sizeof raw));
    Check(lines[2] == "trusted comment: " + sig->trustedComment);
    Check(lines[3] == Base64(sig->globalSignature.data(), sig->globalSignature.size()));
    for (size_t i = 4; i < lines.size(); ++i) {
        Check(lines[i].empty());
    }

    static const std::string file = ScratchFile("minisig", data, size > 64 ? 64 : size);
    sign::PublicKey key{sig->keyId, {}};
    for (size_t i = 0; i < key.key.size(); ++i) {
        key.key[i] = static_cast<uint8_t>(i * 7 + 1);
    }
    sign::Check c = sign::VerifyFile(file, text, {key}, "");
    Check(c.verdict != sign::Verdict::kDamaged && c.verdict != sign::Verdict::kForeignKey);
    Check((c.verdict == sign::Verdict::kGood) == c.reason.empty());
    return 0;
}
