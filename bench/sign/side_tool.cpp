// The verifier's side of the side-by-side comparison with minisign -V:
//   sign_side verify FILE SIGFILE PUBKEYFILE [NAME]
// checks FILE against its signature with the key of PUBKEYFILE (a whole
// minisign.pub) and, when NAME is given, that the trusted comment names it.
// Prints the verdict and the trusted comment; exit 0 when good, 1 when not,
// 2 on a usage error.
#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/file.h"
#include "sign/Minisign.h"

int main(int argc, char** argv) {
    if (argc < 5 || argc > 6 || std::string(argv[1]) != "verify") {
        std::fprintf(stderr, "usage: sign_side verify FILE SIGFILE PUBKEYFILE [NAME]\n");
        return 2;
    }
    auto sigText = platform::ReadWholeFile(platform::SystemPathFromArgument(argv[3]));
    auto keyText = platform::ReadWholeFile(platform::SystemPathFromArgument(argv[4]));
    if (!sigText || !keyText) {
        std::fprintf(stderr, "cannot read %s\n", !sigText ? argv[3] : argv[4]);
        return 1;
    }
    std::string why;
    auto key = sign::ParsePublicKeyFile(*keyText, &why);
    if (!key) {
        std::fprintf(stderr, "%s: %s\n", argv[4], why.c_str());
        return 1;
    }
    sign::Check c = sign::VerifyFile(platform::SystemPathFromArgument(argv[2]), *sigText, {*key},
                                     argc == 6 ? argv[5] : "");
    if (c.verdict != sign::Verdict::kGood) {
        std::fprintf(stderr, "%s: %s\n", sign::VerdictName(c.verdict), c.reason.c_str());
        return 1;
    }
    std::printf("good\ntrusted comment: %s\n", c.trustedComment.c_str());
    return 0;
}
