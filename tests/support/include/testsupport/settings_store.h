// A settings store of the test's own (see platform/settings.h): a file in a
// temporary folder on POSIX, a private subkey of HKEY_LOCAL_MACHINE named
// after the test and the process under Wine. Emptied when it is made (a key
// left behind by an earlier process with the same id) and when it goes, and
// the process's store is the default one again afterwards.
#pragma once

#include <string>

#include "testsupport/temp_dir.h"

namespace testsupport {

class ScopedSettingsStore {
public:
    // tag tells the tests' keys apart under Wine ("SOFTWARE\Tesmar<tag>Test<pid>");
    // file is the store's place below the temporary folder on POSIX.
    explicit ScopedSettingsStore(const std::string& tag, const std::string& file = "registry.ini");
    ~ScopedSettingsStore();
    ScopedSettingsStore(const ScopedSettingsStore&) = delete;
    ScopedSettingsStore& operator=(const ScopedSettingsStore&) = delete;

    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
};

}  // namespace testsupport
