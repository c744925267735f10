// Signing what the publisher ships with minisign (Debian package minisign).
#pragma once

#include <ostream>
#include <string>

// Signs the file (a command-line path, UTF-8) with minisign and the secret
// key, which asks for the key's password on the terminal when it has one;
// the signature goes beside it (FILE.minisig), and an earlier one there is
// removed first, so that none is left that does not belong to the file.
// what names the file in messages ("package"). Answers cli::kExitOk, or
// cli::kExitFailed with the reason on err; the file itself stays.
int SignWithMinisign(const std::string& file, const std::string& secretKey, const std::string& what,
                     std::ostream& out, std::ostream& err);
