// The update dialog as the end-to-end tests drive it, in this process: the
// texts as they stand, no pauses, and events handled until a condition holds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "patcher/CUpdateDlg.h"
#include "patcher/UpdateDriver.h"
#include "platform/clock.h"

namespace testsupport {

// A run that has not ended after this long has hung: a generous margin over
// every time-out of the flow (a connect gives up after about 10 s).
constexpr uint64_t kUpdateRunLimitMs = 120000;

// Takes the helper programs the dialog would start; true: "started".
using HelperStarter =
    std::function<bool(const std::string& helper, const std::vector<std::string>& arguments)>;

// The dialog of the patcher at modulePath with the driver made from o,
// initialised (its update under way).
inline std::unique_ptr<CUpdateDlg> OpenUpdateDialog(const std::string& modulePath,
                                                    const UpdateDriverOptions& o,
                                                    HelperStarter startHelper) {
    UpdateDlgOptions d;
    d.text = [](const char* s) { return std::string(s); };
    d.modulePath = modulePath;
    d.sleep = [](uint32_t) {};
    d.startHelper = std::move(startHelper);
    d.makeWork = [o](CUpdateDlg& dialog, UpdateShared& shared) {
        return MakeUpdateDriver(dialog, shared, o);
    };
    auto dialog = std::make_unique<CUpdateDlg>(std::move(d));
    dialog->OnInitDialog();
    return dialog;
}

// Handles the dialog's events until done() holds; false when the run hung.
inline bool RunDialogUntil(CUpdateDlg& dialog, const std::function<bool()>& done) {
    const uint64_t start = platform::TickCount64();
    while (!done()) {
        if (platform::TickCount64() - start > kUpdateRunLimitMs) {
            return false;
        }
        dialog.PumpEvents(20);
    }
    return true;
}

inline bool RunDialogToOutcome(CUpdateDlg& dialog) {
    return RunDialogUntil(dialog, [&] { return dialog.outcome() != UpdateOutcome::kPending; });
}

}  // namespace testsupport
