// Signatures made with minisign: reading public keys and .minisig files, and
// checking a file against them with Ed25519 (libsodium).
//
// A public key is "Ed", an 8-byte key id and the 32-byte Ed25519 key, in
// base64 (the second line of minisign.pub). A .minisig file has four lines:
//
//   untrusted comment: <anything>
//   <base64 of the algorithm ("ED" or "Ed"), the key id, the 64-byte signature>
//   trusted comment: <text, tab-separated fields such as file:NAME>
//   <base64 of the 64-byte global signature over signature + trusted comment>
//
// "ED" signs the BLAKE2b-512 digest of the file, "Ed" (the legacy form) the
// file itself. Every function here may be called from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sign {

// Largest .minisig text read, and largest trusted comment in it; minisign
// itself writes far less.
constexpr size_t kMinisigBytesMax = 16 * 1024;
// A signed file's signature lies beside it, under its name and this suffix.
constexpr const char* kSignatureSuffix = ".minisig";
constexpr size_t kTrustedCommentBytesMax = 8 * 1024;

struct PublicKey {
    std::array<uint8_t, 8> id;    // as stored (little-endian); KeyIdText shows it
    std::array<uint8_t, 32> key;  // Ed25519 public key
};

// The base64 line of a minisign public key (the second line of
// minisign.pub); spaces, tabs and line ends around it are ignored. An empty
// optional and *why set (when why is not null) when it is not one: not
// base64, not 42 bytes, or not the "Ed" algorithm.
std::optional<PublicKey> ParsePublicKey(const std::string& base64, std::string* why);

// The text of a whole minisign.pub (its comment line, then the key), or a
// bare key line as ParsePublicKey takes it.
std::optional<PublicKey> ParsePublicKeyFile(const std::string& text, std::string* why);

// The key id as minisign prints it: the little-endian number in upper-case
// hexadecimal, without leading zeros.
std::string KeyIdText(const std::array<uint8_t, 8>& id);

struct Signature {
    bool prehashed;  // "ED": over the BLAKE2b-512 of the file; "Ed": over the file
    std::array<uint8_t, 8> keyId;
    std::array<uint8_t, 64> signature;
    std::string trustedComment;  // after "trusted comment: ", not yet verified
    std::array<uint8_t, 64> globalSignature;
};

// The text of a .minisig file. Every line, length and field is checked: the
// two comment prefixes, exact base64 of the exact sizes, a known algorithm,
// no NUL bytes, no text after the fourth line but line ends; lines may end
// in "\r\n". An empty optional and *why set when it is not one.
std::optional<Signature> ParseSignature(const std::string& text, std::string* why);

// The value of the first "file:" field of a trusted comment (fields are
// separated by tabs), or empty when there is none or when two fields name
// different files.
std::string TrustedFileName(const std::string& trustedComment);

enum class Verdict {
    kGood,
    kDamaged,            // the .minisig text is not a signature
    kForeignKey,         // signed by a key that is not in the list
    kBadSignature,       // the file is not what was signed
    kBadTrustedComment,  // the trusted comment is not what was signed
    kWrongFile,          // a good signature of a file of another name
    kUnreadable,         // the file cannot be read
};

struct Check {
    Verdict verdict;
    std::string reason;          // English, names what failed; empty when good
    std::string trustedComment;  // set once its global signature is verified
};

// Verifies the file at systemPath (a system path, see platform/file.h)
// against minisigText: the signature against whichever of keys has its key
// id, the global signature over signature and trusted comment, and, when
// expectedFileName is not empty, that TrustedFileName equals its base name
// (what follows the last "\" or "/"; an empty base name matches nothing),
// byte for byte. The file is streamed in large blocks for "ED"; the legacy
// "Ed" form maps it whole, so a file larger than the address space allows
// is kUnreadable there. The checks run in that order, the cheap ones first:
// a file is read only under a trusted comment that names it.
Check VerifyFile(const std::string& systemPath, const std::string& minisigText,
                 const std::vector<PublicKey>& keys, const std::string& expectedFileName);

// VerifyFile against the signature beside the file (systemPath +
// kSignatureSuffix), read only when it is no larger than kMinisigBytesMax. A
// signature that is missing or cannot be read is kUnreadable, one too large
// kDamaged; the reason names the signature file and the system's reason.
Check VerifySignedFile(const std::string& systemPath, const std::vector<PublicKey>& keys,
                       const std::string& expectedFileName);

// A short English name of a verdict ("good", "damaged signature", ...).
const char* VerdictName(Verdict verdict);

}  // namespace sign
