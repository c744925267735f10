#include "testsupport/settings_store.h"

#include "platform/fs.h"
#include "platform/process.h"

namespace testsupport {

platform::SettingsStore ScopedSettingsStore::Place(const TempDir& dir, const std::string& tag,
                                                   const std::string& file) {
#ifdef _WIN32
    (void)dir;
    (void)file;
    return platform::SettingsStore("SOFTWARE\\Tesmar" + tag + "Test" +
                                   std::to_string(platform::CurrentProcessId()));
#else
    (void)tag;
    return platform::SettingsStore(platform::NativePath(dir / file));
#endif
}

ScopedSettingsStore::ScopedSettingsStore(const std::string& tag, const std::string& file)
    : store_(Place(dir_, tag, file)) {
    (void)store_.DeleteKey();
}

ScopedSettingsStore::~ScopedSettingsStore() {
    (void)store_.DeleteKey();
}

}  // namespace testsupport
