// The tool's tests run its commands in the test program, as the command
// line would: what they print, what they answer.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "CpkTool.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace cpktest {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

// Runs "cpk ARGS...", its archives written through disk.
inline Outcome Cpk(std::vector<std::string> args,
                   DiscIOMgr::Disk& disk = DiscIOMgr::Disk::System()) {
    args.insert(args.begin(), "cpk");
    std::ostringstream out, err;
    int code = RunCpkTool(args, out, err, false, disk);
    return {code, out.str(), err.str()};
}

// Arguments are UTF-8, test folders are system paths.
inline std::string Arg(const std::string& systemPath) {
    return platform::GbkToUtf8(platform::NativePath(systemPath));
}

}  // namespace cpktest
