#include "testsupport/settings_store.h"

#include "platform/fs.h"
#include "platform/process.h"
#include "platform/settings.h"

namespace testsupport {

ScopedSettingsStore::ScopedSettingsStore(const std::string& tag, const std::string& file) {
#ifdef _WIN32
    (void)file;
    platform::OverrideSettingsStore("SOFTWARE\\Tesmar" + tag + "Test" +
                                    std::to_string(platform::CurrentProcessId()));
#else
    (void)tag;
    platform::OverrideSettingsStore(platform::NativePath(dir_ / file));
#endif
    (void)platform::DeleteSettingsKey();
}

ScopedSettingsStore::~ScopedSettingsStore() {
    (void)platform::DeleteSettingsKey();
    platform::OverrideSettingsStore("");
}

}  // namespace testsupport
