// Where the seam's helper program was built.
#pragma once

#include <string>

#include "testsupport/temp_dir.h"

inline std::string HelperProgram() {
#ifdef _WIN32
    return testsupport::ProgramDir() + "\\platform_test_helper.exe";
#else
    return testsupport::ProgramDir() + "\\platform_test_helper";
#endif
}
