#include <iostream>

#include "MkPatch.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    return RunMkPatch(platform::Utf8Arguments(argc, argv), std::cout, std::cerr,
                      platform::IsTerminal(platform::StdStream::kError));
}
