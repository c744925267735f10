#include "patcher/gui/CUpdateWnd.h"

#include "patcher/gui/OwnedWindow.h"

#include <windowsx.h>

#include <utility>

#include "news/Page.h"
#include "patcher/gui/CSettingsDlg.h"
#include "patcher/text/LocalText.h"
#include "platform/process.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kClassName[] = L"TesmarUpdateWnd";
// Posted by PostWake.
constexpr UINT kWakeMessage = WM_APP + 17;
// Posted by a page's loader: wParam the page's index.
constexpr UINT kPageMessage = WM_APP + 18;

RECT ToRect(const PicRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

void SetPictures(CPicButtion& b, const std::array<std::string, 4>& p) {
    b.SetNormalPicture(p[0]);
    b.SetPressedPicture(p[1]);
    b.SetDisabledPicture(p[2]);
    b.SetHoverPicture(p[3]);
}

}  // namespace

CUpdateWnd::CUpdateWnd(UpdateWindowEvents events, std::string skinFolder, std::string gameFolder)
    : events_(std::move(events)),
      skinFolder_(std::move(skinFolder)),
      gameFolder_(std::move(gameFolder)) {}

CUpdateWnd::~CUpdateWnd() {
    // The loaders' threads end before anything they post to goes.
    for (PagePanel& page : pages_) {
        page.loader.Cancel();
    }
    // Controls go before the window that holds them.
    buttons_.clear();
    gui::DestroyOwnedWindow(hwnd_);
}

CPicButtion* CUpdateWnd::Button(int id) {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second.get();
}

std::unique_ptr<CPicButtion> CUpdateWnd::MakeButton(const UpdateControl& c, const std::string& text,
                                                    bool enabled) {
    auto b = std::make_unique<CPicButtion>();
    SetPictures(*b, c.pictures);
    b->SetTextColour(kSkinTextColour);
    b->SetBackdrop(gui::Backdrop{&background_, POINT{c.rect.left, c.rect.top}});
    b->SetLeftAligned(c.id == kIdStatusLine || c.id == kIdDownloadLabel || c.id == kIdUpdateLabel);
    DWORD style = WS_VISIBLE | (enabled ? 0 : WS_DISABLED);
    b->Create(text, style, ToRect(c.rect), hwnd_, c.id);
    return b;
}

bool CUpdateWnd::Create(const std::string& titleGbk, const UpdateWindowUrls& urls) {
    gui::RegisterOwnedClass(kClassName, true);
    urls_ = urls;
    layout_ = MakeUpdateWindowLayout(skinFolder_);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    PicRect at = UpdateWindowPlacement(work.right - work.left, work.bottom - work.top);
    hwnd_ =
        CreateWindowExW(WS_EX_APPWINDOW, kClassName, gui::Wide(titleGbk).c_str(),
                        WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
                        work.left + at.left, work.top + at.top, kUpdateWindowWidth,
                        kUpdateWindowHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        return false;
    }
    gui::AttachOwner(hwnd_, this, &WndProc);
    background_.Load(layout_.background);

    for (const UpdateControl& c : layout_.controls) {
        switch (c.kind) {
            case UpdateControlKind::kLinkButton: {
                const std::string& url = urls_[static_cast<size_t>(c.url)];
                urlById_[c.id] = url;
                buttons_[c.id] = MakeButton(c, "", !url.empty());
                break;
            }
            case UpdateControlKind::kPage: {
                const size_t index = static_cast<size_t>(c.url);
                CPageView& view = pages_[index].view;
                view.Create(ToRect(c.rect), hwnd_, c.id);
                view.SetBackdrop(gui::Backdrop{&background_, POINT{c.rect.left, c.rect.top}});
                view.SetTextColour(kSkinTextColour);
                if (const UpdateControl* bar = layout_.Find(kIdServerBar)) {
                    view.SetBarSprite(bar->pictures[0]);
                }
                view.SetLinkHandler([this](const std::string& url) { OpenUrl(url); });
                LoadPage(index, urls_[index]);
                break;
            }
            case UpdateControlKind::kButton:
                buttons_[c.id] = MakeButton(c, "", !c.disabled);
                break;
            case UpdateControlKind::kLabel: {
                std::string text = c.text.empty() ? std::string() : FormatLabel(c.text);
                buttons_[c.id] = MakeButton(c, text, !c.disabled);
                break;
            }
            case UpdateControlKind::kList: {
                const UpdateControl* bar = layout_.Find(kIdServerBar);
                servers_.Create(ToRect(c.rect), bar ? ToRect(bar->rect) : RECT{}, hwnd_, c.id);
                servers_.SetBackground(c.pictures[0]);
                servers_.SetSelectionPicture(c.pictures[1]);
                servers_.SetFontHeight(gui::SkinFont::TableHeight());
                servers_.SetTextColour(kSkinTextColour);
                servers_.SetBackdrop(gui::Backdrop{&background_, POINT{c.rect.left, c.rect.top}});
                servers_.model().SetRowHeight(kServerListItemHeight);
                if (bar != nullptr) {
                    servers_.scrollBar().SetSprite(bar->pictures[0]);
                }
                break;
            }
            case UpdateControlKind::kScrollBar:
                break;  // made with the list
            case UpdateControlKind::kProgress: {
                CPicProgressCtrl& progress = Bar(c.id);
                progress.Create(ToRect(c.rect), hwnd_, c.id);
                progress.SetRange(0, 100);
                progress.SetBackground(c.pictures[0]);
                progress.SetFill(c.pictures[1]);
                progress.SetPos(0);
                break;
            }
        }
    }
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    return true;
}

void CUpdateWnd::LoadPage(size_t index, const std::string& url) {
    PagePanel& page = pages_[index];
    page.loader.Cancel();
    int generation = 0;
    {
        std::lock_guard<std::mutex> lock(pagesMu_);
        page.url = url;
        generation = ++page.generation;
        page.arrived.reset();
    }
    if (url.empty()) {
        page.view.SetEmpty();
        return;
    }
    page.view.SetLoading(url);
    page.loader.Start(url, pageOptions_, [this, index, generation](http::FetchResult result) {
        {
            std::lock_guard<std::mutex> lock(pagesMu_);
            pages_[index].arrived.emplace(generation, std::move(result));
        }
        PostMessageW(hwnd_, kPageMessage, static_cast<WPARAM>(index), 0);
    });
}

void CUpdateWnd::OnPageArrived(size_t index) {
    if (index >= pages_.size()) {
        return;
    }
    PagePanel& page = pages_[index];
    std::optional<std::pair<int, http::FetchResult>> arrived;
    std::string url;
    {
        std::lock_guard<std::mutex> lock(pagesMu_);
        arrived = std::move(page.arrived);
        page.arrived.reset();
        if (!arrived || arrived->first != page.generation) {
            return;  // nothing new, or a page of an address given before
        }
        url = page.url;
    }
    const http::FetchResult& result = arrived->second;
    if (!result.ok) {
        // The reasons are ASCII, the same bytes in GBK.
        page.view.SetFailed(url, result.error);
        return;
    }
    page.view.SetPage(news::ReadPage(result.body, result.finalUrl, result.charset));
}

void CUpdateWnd::OpenUrl(const std::string& url) {
    if (events_.openUrl) {
        events_.openUrl(url);
    } else {
        platform::OpenWithSystemHandler(url, true);
    }
}

void CUpdateWnd::SetUrls(const UpdateWindowUrls& urls) {
    const UpdateWindowUrls before = urls_;
    urls_ = urls;
    for (const UpdateControl& c : layout_.controls) {
        if (c.url < 0) {
            continue;
        }
        const size_t index = static_cast<size_t>(c.url);
        const std::string& url = urls_[index];
        if (c.kind == UpdateControlKind::kPage) {
            if (url != before[index] && hwnd_ != nullptr) {
                LoadPage(index, url);
            }
            continue;
        }
        urlById_[c.id] = url;
        if (CPicButtion* b = Button(c.id)) {
            b->Enable(!url.empty());
        }
    }
}

void CUpdateWnd::SetTitle(const std::string& gbk) {
    SetWindowTextW(hwnd_, gui::Wide(gbk).c_str());
}

void CUpdateWnd::PostWake() {
    PostMessageW(hwnd_, kWakeMessage, 0, 0);
}

std::string CUpdateWnd::FormatLabel(const std::string& captionGbk) {
    // The labels start as the caption and "  0".
    return std::string(GetLocalText(captionGbk.c_str())) + "  0";
}

void CUpdateWnd::SetLabel(int id, const std::string& gbk) {
    if (CPicButtion* b = Button(id)) {
        if (b->GetText() != gbk) {
            b->SetText(gbk);
        }
    }
}

void CUpdateWnd::SetVersionText(const std::string& gbk) {
    SetLabel(kIdVersionLabel, gbk);
}

void CUpdateWnd::SetStatusText(const std::string& gbk) {
    SetLabel(kIdStatusLine, gbk);
}

void CUpdateWnd::SetDownloadLabel(const std::string& gbk) {
    SetLabel(kIdDownloadLabel, gbk);
}

void CUpdateWnd::SetUpdateLabel(const std::string& gbk) {
    SetLabel(kIdUpdateLabel, gbk);
}

void CUpdateWnd::SetBars(int download, int update) {
    if (downloadBar_.GetPos() != download) {
        downloadBar_.SetPos(download);
    }
    if (updateBar_.GetPos() != update) {
        updateBar_.SetPos(update);
    }
}

void CUpdateWnd::SetUpdateRunning(bool running) {
    if (running == running_) {
        return;
    }
    running_ = running;
    if (CPicButtion* b = Button(kIdUpdateStop)) {
        SetPictures(*b, UpdateButtonPictures(skinFolder_, UpdateStopLetter(running)));
        InvalidateRect(b->hwnd(), nullptr, FALSE);
    }
}

void CUpdateWnd::EnableStartGame(bool enable) {
    if (CPicButtion* b = Button(kIdStartGame)) {
        if (b->IsEnabled() != enable) {
            b->Enable(enable);
        }
    }
}

void CUpdateWnd::FocusStartGame() {
    if (CPicButtion* b = Button(kIdStartGame)) {
        SetFocus(b->hwnd());
    }
}

void CUpdateWnd::SetServers(const std::vector<std::string>& rows, int selected) {
    if (rows != rows_) {
        rows_ = rows;
        servers_.ResetContent();
        for (size_t i = 0; i < rows.size(); ++i) {
            servers_.SetItem(static_cast<int>(i), rows[i]);
        }
        selected_ = -2;  // draw the selection anew
    }
    if (selected != selected_) {
        selected_ = selected;
        servers_.SetCurSel(selected);
    }
}

void CUpdateWnd::OnCommand(int id) {
    switch (id) {
        case kIdSettings:
            OpenSettings();
            return;
        case kIdStartGame:
        case kIdUpdateStop:
        case kIdExit:
            if (events_.command) {
                events_.command(id);
            }
            return;
        default:
            break;
    }
    auto url = urlById_.find(id);
    if (url != urlById_.end() && !url->second.empty()) {
        OpenUrl(url->second);
    }
}

void CUpdateWnd::OpenSettings() {
    if (inSettings_) {
        return;  // one settings dialog at a time
    }
    inSettings_ = true;
    CSettingsDlg dialog(gameFolder_);
    bool saved = dialog.DoModal(hwnd_) == kIdSaveClose;
    inSettings_ = false;
    if (events_.settingsClosed) {
        events_.settingsClosed(saved);
    }
}

LRESULT CALLBACK CUpdateWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return gui::ForwardToOwner(hwnd, msg, wParam, lParam, &CUpdateWnd::hwnd_,
                               &CUpdateWnd::OnMessage);
}

LRESULT CUpdateWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (gui::RouteOwnerDraw(msg, lParam)) {
        return TRUE;
    }
    switch (msg) {
        case WM_ERASEBKGND: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            if (background_.empty()) {
                RECT r{};
                GetClientRect(hwnd_, &r);
                FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            } else {
                RECT src{0, 0, kUpdateWindowWidth, kUpdateWindowHeight};
                background_.DrawPart(dc, 0, 0, src);
            }
            return 1;
        }
        case WM_COMMAND: {
            // Enter and Escape (IDOK, IDCANCEL) end nothing here.
            int code = HIWORD(wParam);
            if (lParam != 0 && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) {
                OnCommand(LOWORD(wParam));
            }
            return 0;
        }
        case kPicListClicked:
            if (events_.serverChosen) {
                events_.serverChosen(static_cast<int>(wParam));
            }
            return 0;
        case WM_MOUSEWHEEL: {
            // The wheel turns where the focus is; it scrolls the page under
            // the mouse.
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            for (PagePanel& page : pages_) {
                RECT r{};
                if (page.view.hwnd() != nullptr && GetWindowRect(page.view.hwnd(), &r) &&
                    PtInRect(&r, at)) {
                    page.view.OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
                    return 0;
                }
            }
            break;
        }
        case kPageMessage:
            OnPageArrived(static_cast<size_t>(wParam));
            return 0;
        case WM_VSCROLL:
            servers_.OnScroll(LOWORD(wParam), static_cast<int>(static_cast<short>(HIWORD(wParam))));
            return 0;
        case WM_MOUSEMOVE:
            if (wParam & MK_LBUTTON) {
                // Dragging the window by any free spot, as by a caption.
                ReleaseCapture();
                SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            }
            return 0;
        case kWakeMessage:
            if (waking_) {
                wakeAgain_ = true;  // a box or dialog of the wake runs its own loop
                return 0;
            }
            waking_ = true;
            do {
                wakeAgain_ = false;
                if (events_.wake) {
                    events_.wake();
                }
            } while (wakeAgain_);
            waking_ = false;
            return 0;
        case WM_CLOSE:
            if (events_.closeRequest) {
                events_.closeRequest();
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}
