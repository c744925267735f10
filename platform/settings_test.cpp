#include "platform/settings.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/native_windows.h"
#endif

#include "platform/fs.h"
#include "platform/process.h"
#include "testsupport/settings_store.h"
#include "testsupport/temp_dir.h"

namespace {

// Each test gets a store of its own: a file in a temporary folder on POSIX,
// a private subkey of HKEY_LOCAL_MACHINE under Wine.
class SettingsStore : public ::testing::Test {
protected:
    void TearDown() override {
        (void)settings_.DeleteKey();
        EXPECT_FALSE(settings_.KeyExists());
    }
    // In a folder that does not exist yet: the store makes it.
    testsupport::ScopedSettingsStore store_{"", "sub\\registry.ini"};
    const testsupport::TempDir& dir_ = store_.dir();
    const platform::SettingsStore& settings_ = store_.store();
};

TEST_F(SettingsStore, MissingKeyAndValueAreToldApart) {
    EXPECT_FALSE(settings_.KeyExists());
    EXPECT_EQ(settings_.ReadString("Borough", 100).status, platform::SettingsRead::kNoKey);
    EXPECT_FALSE(settings_.WriteString("Borough", "x"));  // no key yet
    ASSERT_TRUE(settings_.CreateKey());
    ASSERT_TRUE(settings_.CreateKey());  // again: no error
    EXPECT_TRUE(settings_.KeyExists());
    EXPECT_EQ(settings_.ReadString("Borough", 100).status, platform::SettingsRead::kNoValue);
}

TEST_F(SettingsStore, ValuesRoundTripWithinTheBuffer) {
    ASSERT_TRUE(settings_.CreateKey());
    ASSERT_TRUE(settings_.WriteString("Borough", "10.1.2.3"));
    auto v = settings_.ReadString("Borough", 100);
    EXPECT_EQ(v.status, platform::SettingsRead::kOk);
    EXPECT_EQ(v.text, "10.1.2.3");

    // 99 characters and the NUL fill a 100-byte buffer; one more does not fit.
    ASSERT_TRUE(settings_.WriteString("Borough", std::string(99, 'x')));
    EXPECT_EQ(settings_.ReadString("Borough", 100).status, platform::SettingsRead::kOk);
    ASSERT_TRUE(settings_.WriteString("Borough", std::string(100, 'x')));
    EXPECT_EQ(settings_.ReadString("Borough", 100).status, platform::SettingsRead::kTooLong);

    // Texts with line breaks and GBK bytes survive.
    std::string odd = "a\\b\nc\r\xB5\xE7\xD0\xC5";
    ASSERT_TRUE(settings_.WriteString("Borough", odd));
    EXPECT_EQ(settings_.ReadString("Borough", 100).text, odd);
    ASSERT_TRUE(settings_.DeleteValue("Borough"));
    EXPECT_EQ(settings_.ReadString("Borough", 100).status, platform::SettingsRead::kNoValue);
}

// Each store is its own place: a back end that lost track of where would
// mix a test's values with another's, or with the player's.
TEST_F(SettingsStore, StoresAtOtherPlacesKeepTheirOwnValues) {
    testsupport::ScopedSettingsStore other("Other");
    ASSERT_TRUE(settings_.CreateKey());
    EXPECT_FALSE(other.store().KeyExists());
    ASSERT_TRUE(other.store().CreateKey());
    ASSERT_TRUE(settings_.WriteString("Borough", "10.0.0.1"));
    ASSERT_TRUE(other.store().WriteString("Borough", "10.0.0.2"));
    EXPECT_EQ(settings_.ReadString("Borough", 100).text, "10.0.0.1");
    EXPECT_EQ(other.store().ReadString("Borough", 100).text, "10.0.0.2");
    ASSERT_TRUE(other.store().DeleteKey());
    EXPECT_EQ(settings_.ReadString("Borough", 100).text, "10.0.0.1");
}

#ifndef _WIN32
// The system's store is the file under $XDG_CONFIG_HOME, looked up at each
// use, not when the store was made: the game and the patcher started in
// the same session agree on it.
TEST_F(SettingsStore, TheSystemStoreIsTheFileTheEnvironmentNamesAtEachUse) {
    const platform::SettingsStore system = platform::SettingsStore::System();
    EXPECT_EQ(system.where(), "");
    {
        testsupport::ScopedEnv config("XDG_CONFIG_HOME", platform::NativePath(dir_ / "one"));
        ASSERT_TRUE(system.CreateKey());
        ASSERT_TRUE(system.WriteString("Borough", "10.1.2.3"));
        EXPECT_EQ(testsupport::ReadFile(dir_ / "one\\tesmar\\registry.ini"), "Borough=10.1.2.3\n");
    }
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", platform::NativePath(dir_ / "two"));
    EXPECT_FALSE(system.KeyExists());
    EXPECT_EQ(system.ReadString("Borough", 100).status, platform::SettingsRead::kNoKey);
}
#endif

#ifdef _WIN32
// The game is a 32-bit program: it reads HKLM\SOFTWARE\Tesmar through the
// 32-bit registry view, which a 64-bit process sees as
// SOFTWARE\Wow6432Node\Tesmar. A 64-bit build of the store must still
// write where the game reads.
TEST_F(SettingsStore, WindowsStoreLivesInThe32BitRegistryView) {
    ASSERT_TRUE(settings_.CreateKey());
    ASSERT_TRUE(settings_.WriteString("Borough", "10.9.8.7"));
    const std::wstring name = L"TesmarTest" + std::to_wstring(platform::CurrentProcessId());

    auto readFrom = [](const std::wstring& subKey, REGSAM view) -> std::wstring {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | view, &key) !=
            ERROR_SUCCESS) {
            return L"<no key>";
        }
        wchar_t buf[64] = {};
        DWORD bytes = sizeof(buf) - sizeof(wchar_t);
        DWORD type = 0;
        LONG rc =
            RegQueryValueExW(key, L"Borough", nullptr, &type, reinterpret_cast<BYTE*>(buf), &bytes);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? std::wstring(buf) : L"<no value>";
    };
    EXPECT_EQ(readFrom(L"SOFTWARE\\" + name, KEY_WOW64_32KEY), L"10.9.8.7");
#ifdef _WIN64
    // Seen from the 64-bit view the value sits under Wow6432Node, and the
    // 64-bit view's own key was never made.
    EXPECT_EQ(readFrom(L"SOFTWARE\\Wow6432Node\\" + name, KEY_WOW64_64KEY), L"10.9.8.7");
    EXPECT_EQ(readFrom(L"SOFTWARE\\" + name, KEY_WOW64_64KEY), L"<no key>");
#endif
    ASSERT_TRUE(settings_.DeleteKey());
    EXPECT_EQ(readFrom(L"SOFTWARE\\" + name, KEY_WOW64_32KEY), L"<no key>");
}
#endif

}  // namespace
