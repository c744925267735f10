#include "sign/Minisign.h"

#include <sodium.h>

#include <cstring>
#include <memory>

#include "platform/file.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace sign {
namespace {

constexpr char kUntrustedPrefix[] = "untrusted comment: ";
constexpr char kTrustedPrefix[] = "trusted comment: ";
constexpr char kFileField[] = "file:";

constexpr size_t kAlgorithmBytes = 2;
constexpr size_t kKeyIdBytes = 8;
constexpr size_t kPublicKeyBytes =
    kAlgorithmBytes + kKeyIdBytes + crypto_sign_ed25519_PUBLICKEYBYTES;
constexpr size_t kSignatureBytes = kAlgorithmBytes + kKeyIdBytes + crypto_sign_ed25519_BYTES;
constexpr size_t kDigestBytes = crypto_generichash_blake2b_BYTES_MAX;  // 64

// Files are read in blocks of this size, large enough that hashing, not the
// calls into the system, sets the pace.
constexpr size_t kReadBlockBytes = 1024 * 1024;

static_assert(kPublicKeyBytes == 42 && kSignatureBytes == 74, "minisign record sizes");
static_assert(kDigestBytes == 64, "prehashed signatures are over BLAKE2b-512");

void SetWhy(std::string* why, std::string text) {
    if (why != nullptr) {
        *why = std::move(text);
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The value of a base64 letter (standard alphabet), or -1.
int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

// Canonical base64 (standard alphabet, "=" padding, unused bits zero, no
// other characters) of exactly size bytes. Written here rather than taken
// from libsodium, whose decoder lets some bytes above 0x7F pass as letters.
bool DecodeExact(const std::string& base64, uint8_t* out, size_t size) {
    const size_t letters = (size * 8 + 5) / 6;
    if (base64.size() != (size + 2) / 3 * 4) {
        return false;
    }
    for (size_t i = letters; i < base64.size(); ++i) {
        if (base64[i] != '=') {
            return false;
        }
    }
    uint32_t acc = 0;
    int bits = 0;
    size_t written = 0;
    for (size_t i = 0; i < letters; ++i) {
        int v = Base64Value(base64[i]);
        if (v < 0) {
            return false;
        }
        acc = (acc << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out[written++] = static_cast<uint8_t>(acc >> bits);
            acc &= (1u << bits) - 1;
        }
    }
    return written == size && acc == 0;
}

std::string AlgorithmText(const uint8_t* bytes) {
    std::string text;
    for (size_t i = 0; i < kAlgorithmBytes; ++i) {
        char c = static_cast<char>(bytes[i]);
        if (bytes[i] >= 0x20 && bytes[i] < 0x7F) {
            text += c;
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            text += "\\x";
            text += kHex[bytes[i] >> 4];
            text += kHex[bytes[i] & 0xF];
        }
    }
    return text;
}

// The lines of a .minisig text: split at "\n", a "\r" before it dropped.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t nl = text.find('\n', start);
        size_t end = nl == std::string::npos ? text.size() : nl;
        size_t cut = end > start && text[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(text.substr(start, cut - start));
        if (nl == std::string::npos) {
            break;
        }
        start = nl + 1;
    }
    return lines;
}

bool SodiumReady() {
    // Idempotent and safe from any thread; it picks the fastest BLAKE2b.
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// The BLAKE2b-512 digest of the file, read in large blocks.
bool DigestFile(platform::File& file, uint8_t (&digest)[kDigestBytes], std::string* why) {
    crypto_generichash_blake2b_state state;
    crypto_generichash_blake2b_init(&state, nullptr, 0, kDigestBytes);
    std::unique_ptr<uint8_t[]> block(new uint8_t[kReadBlockBytes]);
    for (;;) {
        auto n = file.Read(block.get(), kReadBlockBytes);
        if (!n) {
            *why = "reading failed: " + n.error().Message();
            return false;
        }
        if (*n == 0) {
            break;
        }
        crypto_generichash_blake2b_update(&state, block.get(), *n);
    }
    crypto_generichash_blake2b_final(&state, digest, kDigestBytes);
    return true;
}

// The Ed25519 check of the legacy form, over the whole file mapped.
bool VerifyWholeFile(platform::File& file, const Signature& sig, const PublicKey& key, bool* valid,
                     std::string* why) {
    auto size = file.Size();
    if (!size) {
        *why = "its size cannot be read: " + size.error().Message();
        return false;
    }
    if (*size == 0) {
        *valid = crypto_sign_ed25519_verify_detached(sig.signature.data(), nullptr, 0,
                                                     key.key.data()) == 0;
        return true;
    }
    if (static_cast<uint64_t>(static_cast<size_t>(*size)) != *size) {
        *why = "it is too large for a legacy signature to be checked here";
        return false;
    }
    auto mapping = platform::FileMapping::Create(file, 0, false);
    if (!mapping) {
        *why = "it cannot be mapped: " + mapping.error().Message();
        return false;
    }
    auto view = mapping->Map(0, static_cast<size_t>(*size));
    if (!view) {
        *why = "it cannot be mapped: " + view.error().Message();
        return false;
    }
    *valid = crypto_sign_ed25519_verify_detached(sig.signature.data(), view->data(), view->size(),
                                                 key.key.data()) == 0;
    return true;
}

}  // namespace

std::optional<PublicKey> ParsePublicKey(const std::string& base64, std::string* why) {
    std::string line = Trim(base64);
    uint8_t raw[kPublicKeyBytes];
    if (line.empty()) {
        SetWhy(why, "the public key is empty");
        return std::nullopt;
    }
    if (!DecodeExact(line, raw, sizeof raw)) {
        SetWhy(why, "the public key is not the base64 of a minisign key (" +
                        std::to_string(kPublicKeyBytes) + " bytes)");
        return std::nullopt;
    }
    if (raw[0] != 'E' || raw[1] != 'd') {
        SetWhy(why, "the public key is for algorithm \"" + AlgorithmText(raw) +
                        "\", not Ed25519 (\"Ed\")");
        return std::nullopt;
    }
    PublicKey key;
    std::memcpy(key.id.data(), raw + kAlgorithmBytes, kKeyIdBytes);
    std::memcpy(key.key.data(), raw + kAlgorithmBytes + kKeyIdBytes, key.key.size());
    return key;
}

std::optional<PublicKey> ParsePublicKeyFile(const std::string& text, std::string* why) {
    if (text.size() > kMinisigBytesMax) {
        SetWhy(why, "the public key file is too large to be one");
        return std::nullopt;
    }
    std::vector<std::string> lines = SplitLines(Trim(text));
    if (lines.size() == 2 && StartsWith(lines[0], kUntrustedPrefix)) {
        return ParsePublicKey(lines[1], why);
    }
    if (lines.size() == 1) {
        return ParsePublicKey(lines[0], why);
    }
    SetWhy(why, "the public key file is not an \"untrusted comment: \" line and a key line");
    return std::nullopt;
}

std::string KeyIdText(const std::array<uint8_t, 8>& id) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = id.size(); i-- > 0;) {
        text += kHex[id[i] >> 4];
        text += kHex[id[i] & 0xF];
    }
    // minisign prints the id as a number, without leading zeros.
    size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
}

std::optional<Signature> ParseSignature(const std::string& text, std::string* why) {
    if (text.size() > kMinisigBytesMax) {
        SetWhy(why,
               "the signature file is larger than " + std::to_string(kMinisigBytesMax) + " bytes");
        return std::nullopt;
    }
    if (text.find('\0') != std::string::npos) {
        SetWhy(why, "the signature file holds a NUL byte");
        return std::nullopt;
    }
    std::vector<std::string> lines = SplitLines(text);
    // Line ends after the fourth line leave empty lines; nothing else may follow.
    while (lines.size() > 4 && lines.back().empty()) {
        lines.pop_back();
    }
    if (lines.size() < 4) {
        SetWhy(why, "the signature file has " + std::to_string(lines.size()) +
                        " lines, not the 4 of a minisign signature");
        return std::nullopt;
    }
    if (lines.size() > 4) {
        SetWhy(why, "the signature file has text after its global signature");
        return std::nullopt;
    }
    if (!StartsWith(lines[0], kUntrustedPrefix)) {
        SetWhy(why, "the signature file's first line does not start with \"untrusted comment: \"");
        return std::nullopt;
    }
    uint8_t raw[kSignatureBytes];
    if (!DecodeExact(lines[1], raw, sizeof raw)) {
        SetWhy(why, "the signature line is not the base64 of a minisign signature (" +
                        std::to_string(kSignatureBytes) + " bytes)");
        return std::nullopt;
    }
    Signature sig;
    if (raw[0] == 'E' && raw[1] == 'D') {
        sig.prehashed = true;
    } else if (raw[0] == 'E' && raw[1] == 'd') {
        sig.prehashed = false;
    } else {
        SetWhy(why, "the signature is of algorithm \"" + AlgorithmText(raw) +
                        "\", neither \"ED\" nor \"Ed\"");
        return std::nullopt;
    }
    std::memcpy(sig.keyId.data(), raw + kAlgorithmBytes, kKeyIdBytes);
    std::memcpy(sig.signature.data(), raw + kAlgorithmBytes + kKeyIdBytes, sig.signature.size());
    if (!StartsWith(lines[2], kTrustedPrefix)) {
        SetWhy(why, "the signature file's third line does not start with \"trusted comment: \"");
        return std::nullopt;
    }
    sig.trustedComment = lines[2].substr(std::strlen(kTrustedPrefix));
    if (sig.trustedComment.size() > kTrustedCommentBytesMax) {
        SetWhy(why, "the trusted comment is longer than " +
                        std::to_string(kTrustedCommentBytesMax) + " bytes");
        return std::nullopt;
    }
    if (!DecodeExact(lines[3], sig.globalSignature.data(), sig.globalSignature.size())) {
        SetWhy(why, "the global signature line is not the base64 of " +
                        std::to_string(sig.globalSignature.size()) + " bytes");
        return std::nullopt;
    }
    return sig;
}

std::string TrustedFileName(const std::string& trustedComment) {
    std::string name;
    bool found = false;
    size_t start = 0;
    while (start <= trustedComment.size()) {
        size_t tab = trustedComment.find('\t', start);
        size_t end = tab == std::string::npos ? trustedComment.size() : tab;
        std::string field = trustedComment.substr(start, end - start);
        if (StartsWith(field, kFileField)) {
            std::string value = field.substr(std::strlen(kFileField));
            if (found && value != name) {
                return std::string();  // two names: neither is the one signed for
            }
            name = value;
            found = true;
        }
        if (tab == std::string::npos) {
            break;
        }
        start = tab + 1;
    }
    return name;
}

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::kGood:
            return "good";
        case Verdict::kDamaged:
            return "damaged signature";
        case Verdict::kForeignKey:
            return "unknown key";
        case Verdict::kBadSignature:
            return "bad signature";
        case Verdict::kBadTrustedComment:
            return "bad trusted comment";
        case Verdict::kWrongFile:
            return "signature of another file";
        case Verdict::kUnreadable:
            return "unreadable file";
    }
    return "unknown verdict";
}

Check VerifyFile(const std::string& systemPath, const std::string& minisigText,
                 const std::vector<PublicKey>& keys, const std::string& expectedFileName) {
    std::string why;
    std::optional<Signature> sig = ParseSignature(minisigText, &why);
    if (!sig) {
        return {Verdict::kDamaged, "the signature of " + systemPath + " is damaged: " + why, {}};
    }
    if (!SodiumReady()) {
        return {Verdict::kUnreadable, "the signature library cannot start", {}};
    }

    // The keys that carry the signature's id (normally one). Everything the
    // trusted comment says is believed only once one of them signed it.
    std::vector<const PublicKey*> candidates;
    for (const PublicKey& key : keys) {
        if (key.id == sig->keyId) {
            candidates.push_back(&key);
        }
    }
    if (candidates.empty()) {
        return {Verdict::kForeignKey,
                systemPath + " is signed by key " + KeyIdText(sig->keyId) +
                    ", which is not among the " + std::to_string(keys.size()) + " trusted keys",
                {}};
    }
    std::vector<uint8_t> global(sig->signature.begin(), sig->signature.end());
    global.insert(global.end(), sig->trustedComment.begin(), sig->trustedComment.end());
    std::vector<const PublicKey*> signers;
    for (const PublicKey* key : candidates) {
        if (crypto_sign_ed25519_verify_detached(sig->globalSignature.data(), global.data(),
                                                global.size(), key->key.data()) == 0) {
            signers.push_back(key);
        }
    }
    if (signers.empty()) {
        return {Verdict::kBadTrustedComment,
                "the trusted comment of the signature of " + systemPath +
                    " was changed after signing (its global signature does not match)",
                {}};
    }
    if (!expectedFileName.empty()) {
        std::string expected =
            platform::BaseName(expectedFileName, platform::PathSeparators::kBoth);
        std::string named = TrustedFileName(sig->trustedComment);
        // A name that ends in a separator names no file: nothing matches it.
        if (expected.empty() || named != expected) {
            return {Verdict::kWrongFile,
                    "the signature of " + systemPath + " is for " +
                        (named.empty() ? std::string("no file name") : "\"" + named + "\"") +
                        ", not \"" + expected + "\"",
                    sig->trustedComment};
        }
    }

    auto file = platform::File::Open(systemPath, platform::Access::kRead,
                                     platform::kShareRead | platform::kShareWrite,
                                     platform::Disposition::kOpenExisting);
    if (!file) {
        return {Verdict::kUnreadable, systemPath + " cannot be opened: " + file.error().Message(),
                sig->trustedComment};
    }
    bool valid = false;
    if (sig->prehashed) {
        uint8_t digest[kDigestBytes];
        if (!DigestFile(*file, digest, &why)) {
            return {Verdict::kUnreadable, systemPath + " cannot be read: " + why,
                    sig->trustedComment};
        }
        for (const PublicKey* key : signers) {
            valid =
                valid || crypto_sign_ed25519_verify_detached(sig->signature.data(), digest,
                                                             sizeof digest, key->key.data()) == 0;
        }
    } else {
        for (const PublicKey* key : signers) {
            bool one = false;
            if (!VerifyWholeFile(*file, *sig, *key, &one, &why)) {
                return {Verdict::kUnreadable, systemPath + " cannot be checked: " + why,
                        sig->trustedComment};
            }
            valid = valid || one;
        }
    }
    if (!valid) {
        return {Verdict::kBadSignature,
                "the contents of " + systemPath + " are not what key " + KeyIdText(sig->keyId) +
                    " signed (changed after signing, or a signature of another file)",
                sig->trustedComment};
    }
    return {Verdict::kGood, std::string(), sig->trustedComment};
}

Check VerifySignedFile(const std::string& systemPath, const std::vector<PublicKey>& keys,
                       const std::string& expectedFileName) {
    // Reasons name files as VerifyFile's do: the system path, in the
    // system's text.
    const std::string signaturePath = systemPath + kSignatureSuffix;
    const platform::Result<uint64_t> size = platform::FileSize(signaturePath);
    if (!size) {
        return {Verdict::kUnreadable,
                "no signature " + signaturePath + " (" + size.error().Message() + ")",
                {}};
    }
    if (*size > kMinisigBytesMax) {
        return {Verdict::kDamaged, signaturePath + " is too large to be a signature", {}};
    }
    const platform::Result<std::string> text = platform::ReadWholeFile(signaturePath);
    if (!text) {
        return {Verdict::kUnreadable,
                signaturePath + " cannot be read (" + text.error().Message() + ")",
                {}};
    }
    return VerifyFile(systemPath, *text, keys, expectedFileName);
}

}  // namespace sign
