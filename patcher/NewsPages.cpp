#include "patcher/NewsPages.h"

#include <utility>

#include "patcher/CConfigFile.h"
#include "patcher/CUpdateDlg.h"
#include "patcher/text/LocalText.h"
#include "platform/fs.h"
#include "platform/text.h"

http::FetchOptions NewsFetchOptions() {
    http::FetchOptions options;
    options.connectTimeout = std::chrono::seconds(10);
    options.stallTimeout = std::chrono::seconds(10);
    options.overallTimeout = std::chrono::seconds(30);
    // Twice what the reader takes: a longer page is cut there, and says so.
    options.maxBytes = 2 * news::kParseBytesMax;
    return options;
}

std::array<std::string, kNewsPageCount> ReadNewsUrls(const std::string& gameFolder) {
    std::string folder = gameFolder.empty() ? platform::CurrentDirectory() : gameFolder;
    CConfigFile config;
    (void)config.Load((folder + "\\update.ini").c_str(), true);
    std::array<std::string, kNewsPageCount> urls;
    for (size_t i = 0; i < kNewsPageCount; ++i) {
        std::string key = std::string("url ") + GetLocalText(UrlCaptions()[i]);
        urls[i] = std::string(config.GetString(key.c_str())).substr(0, kUrlMax);
    }
    return urls;
}

NewsPage ReadNewsPage(const http::FetchResult& fetched) {
    NewsPage result;
    if (!fetched.ok) {
        result.reason = fetched.error.empty() ? std::string("not loaded") : fetched.error;
        return result;
    }
    result.page = news::ReadPage(fetched.body, fetched.finalUrl, fetched.charset);
    result.page.cut = result.page.cut || fetched.cut;
    result.loaded = true;
    return result;
}

NewsPage LoadNewsPage(const std::string& url, const http::FetchOptions& options) {
    if (url.empty()) {
        NewsPage none;
        none.reason = "update.ini gives no address";
        return none;
    }
    return ReadNewsPage(http::Fetch(url, options));
}

std::vector<std::string> NewsLines(const news::Page& page, int width, size_t maxLines) {
    std::vector<std::string> lines = news::PageText(page.blocks, width);
    size_t more = 0;
    if (maxLines > 0 && lines.size() > maxLines) {
        more = lines.size() - (maxLines - 1);
        lines.resize(maxLines - 1);
    }
    for (std::string& line : lines) {
        line = platform::GbkToUtf8(line);
    }
    if (more > 0) {
        lines.push_back("(" + std::to_string(more) + " more lines: drevik --news)");
    }
    if (page.cut) {
        lines.push_back("(the page was cut: it is longer than the patcher reads)");
    }
    return lines;
}

int RunNewsCommand(std::ostream& out, std::ostream& err, int width,
                   const http::FetchOptions& options, const std::string& gameFolder) {
    const std::array<std::string, kNewsPageCount> urls = ReadNewsUrls(gameFolder);
    int code = 0;
    for (size_t i = 0; i < kNewsPageCount; ++i) {
        const std::string caption = platform::GbkToUtf8(GetLocalText(UrlCaptions()[i]));
        const std::string url = platform::GbkToUtf8(urls[i]);
        NewsPage page = LoadNewsPage(urls[i], options);
        if (!page.loaded) {
            err << "drevik: " << caption << (url.empty() ? "" : " " + url) << ": " << page.reason
                << "\n";
            code = 1;
            continue;
        }
        out << "== " << caption << "  " << url << "\n";
        if (!page.page.title.empty()) {
            out << platform::GbkToUtf8(page.page.title) << "\n\n";
        }
        for (const std::string& line : NewsLines(page.page, width)) {
            out << line << "\n";
        }
        out << "\n";
    }
    return code;
}
