#include "patcher/LoginChoice.h"

LoginChoice ReadLoginChoice(const platform::SettingsStore& settings) {
    LoginChoice choice;
    platform::SettingsValue v = settings.ReadString(kLoginValueName, kLoginValueBuffer);
    if (v.status == platform::SettingsRead::kOk) {
        choice.found = true;
        choice.text = v.text;
    }
    return choice;
}

bool WriteLoginChoice(const platform::SettingsStore& settings, const std::string& text) {
    if (!settings.KeyExists() && !settings.CreateKey()) {
        return false;
    }
    return settings.WriteString(kLoginValueName, text).ok();
}
