// The update window on Windows: the 800 x 600 skinned popup of
// UpdateWindowLayout, drawn from the skin with the picture controls. It
// shows what it is told (texts, bars, the server list, which buttons are
// live) and reports the player's presses; the update dialog decides what
// they mean. The settings button is the window's own business: it runs the
// client settings dialog over the window.
//
// The two web pages are page panels (CPageView): each page is fetched in
// the background when its address is known, read, and shown; a click on a
// link opens it in the system's browser, as the link buttons do.
//
// One thread: the UI thread, which also runs the window's messages.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "http/Fetch.h"
#include "patcher/gui/CPageView.h"
#include "patcher/gui/CPicButtion.h"
#include "patcher/gui/CPicList.h"
#include "patcher/gui/CPicProgressCtrl.h"
#include "patcher/gui/SkinGdi.h"
#include "patcher/ui/UpdateWindowLayout.h"

// The URLs a window links to, in the order of UpdateControl::url.
constexpr size_t kUpdateWindowUrls = 9;
using UpdateWindowUrls = std::array<std::string, kUpdateWindowUrls>;

struct UpdateWindowEvents {
    // The start-game, update/stop and exit buttons (their ids).
    std::function<void(int id)> command;
    // A row of the server list was pressed.
    std::function<void(int row)> serverChosen;
    // The window's close request (Alt+F4, the task bar); the window stays.
    std::function<void()> closeRequest;
    // A link button or a link of a page was pressed with this URL; the
    // system's browser opens it, maximised, unless replaced.
    std::function<void(const std::string& url)> openUrl;
    // Whenever the settings dialog was closed (saved or not).
    std::function<void(bool saved)> settingsClosed;
    // On the UI thread, after PostWake: something waits for the front end.
    // Runs in nested message loops too (message boxes, the settings
    // dialog); a wake that arrives while one is handled runs after it.
    std::function<void()> wake;
};

class CUpdateWnd {
public:
    // skinFolder and gameFolder are system paths, relative to the current
    // folder unless absolute.
    explicit CUpdateWnd(UpdateWindowEvents events, std::string skinFolder = "skin",
                        std::string gameFolder = ".");
    ~CUpdateWnd();
    CUpdateWnd(const CUpdateWnd&) = delete;
    CUpdateWnd& operator=(const CUpdateWnd&) = delete;

    // How the pages are fetched (bounds, certificates); before Create.
    void SetPageFetchOptions(http::FetchOptions options) { pageOptions_ = std::move(options); }

    // Creates and shows the window centred on the work area, with every
    // control; a link button whose URL is empty is disabled, a page whose
    // URL is empty shows nothing. The pages start loading.
    bool Create(const std::string& titleGbk, const UpdateWindowUrls& urls);
    HWND hwnd() const { return hwnd_; }
    // The URLs once they are known (the window may exist before they are
    // read): enables the buttons that have one, loads the pages again whose
    // address changed.
    void SetUrls(const UpdateWindowUrls& urls);
    void SetTitle(const std::string& gbk);

    // Any thread: asks the UI thread to run events.wake.
    void PostWake();

    // What the window shows. Texts are GBK.
    void SetVersionText(const std::string& gbk);
    void SetStatusText(const std::string& gbk);
    void SetDownloadLabel(const std::string& gbk);
    void SetUpdateLabel(const std::string& gbk);
    void SetBars(int download, int update);
    // The update/stop button's pictures: stop (letter l) while running.
    void SetUpdateRunning(bool running);
    bool updateRunning() const { return running_; }
    void EnableStartGame(bool enable);
    void FocusStartGame();
    // The server list's rows and selection (-1 none); unchanged rows are
    // not drawn again.
    void SetServers(const std::vector<std::string>& rows, int selected);

    // The controls, for the front end's checks and for tests.
    CPicButtion* Button(int id);
    CPicList& serverList() { return servers_; }
    CPicProgressCtrl& Bar(int id) { return id == kIdDownloadBar ? downloadBar_ : updateBar_; }
    // The page panels: 0 the announcement, 1 the update notes.
    CPageView& Page(int index) { return pages_[static_cast<size_t>(index)].view; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id);
    void OpenSettings();
    std::unique_ptr<CPicButtion> MakeButton(const UpdateControl& c, const std::string& text,
                                            bool enabled);
    void SetLabel(int id, const std::string& gbk);
    static std::string FormatLabel(const std::string& captionGbk);
    void LoadPage(size_t index, const std::string& url);
    void OnPageArrived(size_t index);
    void OpenUrl(const std::string& url);

    UpdateWindowEvents events_;
    std::string skinFolder_;
    std::string gameFolder_;
    UpdateWindowLayout layout_;
    UpdateWindowUrls urls_;
    std::map<int, std::string> urlById_;
    HWND hwnd_ = nullptr;
    gui::Picture background_;
    std::map<int, std::unique_ptr<CPicButtion>> buttons_;  // buttons, labels, pages, by id
    CPicList servers_;
    CPicProgressCtrl downloadBar_;
    CPicProgressCtrl updateBar_;
    // A page panel and what fetches its page. A result arrives on the
    // loader's thread and is handed over under the lock with a wake-up
    // message; one of an earlier address (generation) is dropped.
    struct PagePanel {
        CPageView view;
        std::string url;
        int generation = 0;
        std::optional<std::pair<int, http::FetchResult>> arrived;
        http::PageLoader loader;
    };
    std::array<PagePanel, 2> pages_;
    std::mutex pagesMu_;
    http::FetchOptions pageOptions_;
    std::vector<std::string> rows_;
    int selected_ = -1;
    bool running_ = false;
    bool inSettings_ = false;
    bool waking_ = false;     // events.wake runs
    bool wakeAgain_ = false;  // another wake came meanwhile
};
