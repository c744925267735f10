#include "patcher/LoginChoice.h"

#include "platform/settings.h"

LoginChoice ReadLoginChoice() {
    LoginChoice choice;
    platform::SettingsValue v = platform::ReadSettingsString(kLoginValueName, kLoginValueBuffer);
    if (v.status == platform::SettingsRead::kOk) {
        choice.found = true;
        choice.text = v.text;
    }
    return choice;
}

bool WriteLoginChoice(const std::string& text) {
    if (!platform::SettingsKeyExists() && !platform::CreateSettingsKey()) {
        return false;
    }
    return platform::WriteSettingsString(kLoginValueName, text).ok();
}
