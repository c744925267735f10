// The two web pages the game's operators publish for the patcher: the
// announcement and the update notes, whose addresses update.ini keeps under
// [url] (keys through the text table, as the window's). The window shows
// them in its panels; here they are fetched and read for the console: the
// update notes after the version check, and `drevik --news`, which prints
// both and ends.
#pragma once

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "http/Fetch.h"
#include "news/Page.h"

constexpr size_t kNewsPageCount = 2;  // the announcement, then the update notes

// How long a page may take and how much of it is read: a page is news, not
// a download, and the update must not wait for it.
http::FetchOptions NewsFetchOptions();

// The pages' addresses in the game folder's update.ini ("" when missing).
std::array<std::string, kNewsPageCount> ReadNewsUrls(const std::string& gameFolder);

struct NewsPage {
    bool loaded = false;
    news::Page page;
    std::string reason;  // why it was not loaded, UTF-8
};

// Fetches and reads one page. An empty address loads nothing.
NewsPage LoadNewsPage(const std::string& url, const http::FetchOptions& options);
// What a fetch brought, read as a page.
NewsPage ReadNewsPage(const http::FetchResult& fetched);

// The page's text lines (UTF-8) wrapped to width columns, at most maxLines
// of them (0: all); a last line says how many more there were.
std::vector<std::string> NewsLines(const news::Page& page, int width, size_t maxLines = 0);

// drevik --news: both pages of the current folder's update.ini, as text
// wrapped to width columns, on out; what could not be loaded, on err.
// 0 when both were loaded, 1 otherwise.
int RunNewsCommand(std::ostream& out, std::ostream& err, int width,
                   const http::FetchOptions& options = NewsFetchOptions(),
                   const std::string& gameFolder = "");
