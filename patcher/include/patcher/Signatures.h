// The publisher's signatures of patch packages. An installation whose
// update.ini lists keys in [sign] (num, key0, key1, ...: the base64 line of
// a minisign public key each) takes only packages that one of them signed:
// the downloader fetches each package's signature file (PATH.minisig on the
// same server) into download\ beside it, and the unpacking checks the
// package against it before anything of it is unpacked. Without [sign]
// nothing is fetched or checked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sign/Minisign.h"

class CConfigFile;

// Beside a package on the server and in download\.
using sign::kSignatureSuffix;
// A signature file is a few hundred bytes; anything much larger is not one.
constexpr size_t kSignatureFileMax = sign::kMinisigBytesMax;
constexpr int kMaxPublisherKeys = 16;

struct PublisherKeys {
    // [sign] lists at least one key: every package must be signed.
    bool required = false;
    std::vector<sign::PublicKey> keys;  // the listed keys that are keys
    std::vector<std::string> unusable;  // "keyN: why" for the others
};

PublisherKeys ReadPublisherKeys(const CConfigFile& config);
// From folder\update.ini (nothing required when it cannot be read).
PublisherKeys ReadPublisherKeysOf(const std::string& folder);

// Deletes a package from download\, and its signature file with it.
void DeletePackage(const std::string& packagePath);

// Checks the package at packagePath against packagePath + kSignatureSuffix
// with keys; fileName is the package's own name, which the signature's
// trusted comment must name.
sign::Check CheckPackageSignature(const std::string& packagePath, const std::string& fileName,
                                  const PublisherKeys& keys);
