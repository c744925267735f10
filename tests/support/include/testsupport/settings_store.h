// A settings store of the test's own (see platform/settings.h): a file in a
// temporary folder on POSIX, a private subkey of HKEY_LOCAL_MACHINE named
// after the test and the process under Wine. Emptied when it is made (a key
// left behind by an earlier process with the same id) and when it goes. The
// test hands store() to the code under test; the system's store is never
// touched.
#pragma once

#include <string>

#include "platform/settings.h"
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

    const platform::SettingsStore& store() const { return store_; }
    const TempDir& dir() const { return dir_; }

private:
    static platform::SettingsStore Place(const TempDir& dir, const std::string& tag,
                                         const std::string& file);

    TempDir dir_;
    platform::SettingsStore store_;
};

}  // namespace testsupport
