#include <iostream>

#include "CpkTool.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    platform::SetBinaryMode(platform::StdStream::kOutput);
    return RunCpkTool(platform::Utf8Arguments(argc, argv), std::cout, std::cerr,
                      platform::IsTerminal(platform::StdStream::kError));
}
