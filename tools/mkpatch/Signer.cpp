#include "Signer.h"

#include "cli/CommandLine.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/text.h"

int SignWithMinisign(const std::string& file, const std::string& secretKey, const std::string& what,
                     std::ostream& out, std::ostream& err) {
    const std::string path = platform::SystemPathFromArgument(file);
    (void)platform::DeleteFile(path + ".minisig");  // never one of an earlier file
    auto signer = platform::StartProgram(
        "minisign",
        {"-S", "-s", platform::NativePath(platform::SystemPathFromArgument(secretKey)), "-m",
         platform::NativePath(path)},
        "");
    if (!signer) {
        err << "mkpatch: cannot run minisign to sign " << file << ": "
            << platform::GbkToUtf8(signer.error().Message()) << " (is minisign installed?)\n";
        return cli::kExitFailed;
    }
    auto code = signer->Wait(-1);
    if (!code || *code != 0 || !platform::Exists(path + ".minisig")) {
        err << "mkpatch: minisign did not sign " << file << "; the " << what
            << " is written, unsigned\n";
        return cli::kExitFailed;
    }
    out << "signed: " << file << ".minisig\n";
    return cli::kExitOk;
}
