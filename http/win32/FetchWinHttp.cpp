// Fetch on Windows, with the system's WinHTTP in asynchronous mode: the
// fetching thread issues one operation at a time and waits for its
// completion in short slices, so that it alone watches the cancel flag and
// the bounds and closes the request handle when one of them ends the fetch.
// Redirects are followed here, not by WinHTTP, so that their number, the
// schemes allowed and the final address are ours to decide.
//
// An extra certificate authority (options.caFile): WinHTTP is told to
// accept an unknown authority for that request only, and once the handshake
// is done the server's certificate is checked here: it must be trusted by
// the system, or be signed directly by the given authority (no
// intermediates) whose name is its issuer's. WinHTTP still checks the host
// name and the dates itself.
//
// Section index: handles and text; the request's completions; one hop;
// certificate check; Fetch.
// <windows.h> comes before the headers that build on it.
#include <windows.h>
//
#include <wincrypt.h>
#include <winhttp.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "FetchCommon.h"
#include "http/Fetch.h"
#include "http/Headers.h"
#include "platform/file.h"

namespace http {
namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting fetch looks at the cancel flag and its bounds.
constexpr auto kWaitSlice = std::chrono::milliseconds(50);
// Longest header value read (Location, Content-Type, ...).
constexpr DWORD kMaxHeaderBytes = 16384;
// Largest read asked of WinHTTP at once.
constexpr DWORD kReadChunk = 64 * 1024;

// ---- handles and text ----

struct InternetCloser {
    void operator()(void* handle) const { WinHttpCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return L"";
    }
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) {
        return L"";
    }
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

// Header values and addresses are ASCII; anything else becomes '?'.
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t c : text) {
        narrow.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
    }
    return narrow;
}

std::string Hex(DWORD value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
    return text;
}

DWORD Millis(std::chrono::milliseconds ms) {
    const long long n = ms.count();
    return n <= 0 ? 1 : (n > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(n));
}

// ---- the request's completions ----

// What the status callback reports about the one operation in flight. The
// callback may run on a thread of WinHTTP or within the call on ours, so
// WinHTTP is never called with the lock held.
struct Completion {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    DWORD error = 0;         // of WINHTTP_CALLBACK_STATUS_REQUEST_ERROR
    DWORD size = 0;          // bytes available or read
    DWORD secureFlags = 0;   // of WINHTTP_CALLBACK_STATUS_SECURE_FAILURE
    bool connected = false;  // the TCP connection stands
    // Where WinHttpReadData puts the body. It lives as long as the record:
    // a read still pending when the handle is closed may write to it.
    std::vector<char> buffer;
    // Owners of the record: the fetch and WinHTTP, which lets go with
    // WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING; the last one frees it. Wine
    // does not always send that status for a request closed while an
    // operation is pending: the record then stays, a small leak, rather
    // than the fetch waiting for it.
    std::atomic<int> owners{2};
};

void Release(Completion* c) {
    if (c->owners.fetch_sub(1) == 1) {
        delete c;
    }
}

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD infoSize) {
    auto* c = reinterpret_cast<Completion*>(context);
    if (c == nullptr) {
        return;
    }
    if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
        Release(c);  // the last callback of the handle
        return;
    }
    std::lock_guard<std::mutex> lock(c->mutex);
    switch (status) {
        case WINHTTP_CALLBACK_STATUS_CONNECTED_TO_SERVER:
            c->connected = true;
            break;
        case WINHTTP_CALLBACK_STATUS_SECURE_FAILURE:
            if (info != nullptr && infoSize >= sizeof(DWORD)) {
                c->secureFlags = *static_cast<DWORD*>(info);
            }
            break;
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
            c->done = true;
            break;
        case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
            c->size = info != nullptr && infoSize >= sizeof(DWORD) ? *static_cast<DWORD*>(info) : 0;
            c->done = true;
            break;
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            c->size = infoSize;
            c->done = true;
            break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR: {
            auto* r = static_cast<WINHTTP_ASYNC_RESULT*>(info);
            c->error = r != nullptr ? r->dwError : ERROR_WINHTTP_INTERNAL_ERROR;
            if (c->error == 0) {
                c->error = ERROR_WINHTTP_INTERNAL_ERROR;
            }
            c->done = true;
            break;
        }
        default:
            return;
    }
    c->changed.notify_all();
}

// Why a wait ended early.
enum class Interrupt { kNone, kCancelled, kStalled, kConnectTimeout, kOverall };

// One request handle with its completion record.
class Request {
public:
    Request() : completion_(new Completion) {}
    ~Request() { Close(); }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    bool Open(HINTERNET connect, const std::wstring& path, bool secure) {
        handle_ =
            WinHttpOpenRequest(connect, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                               WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0);
        if (handle_ == nullptr) {
            return false;
        }
        DWORD_PTR context = reinterpret_cast<DWORD_PTR>(completion_);
        if (!WinHttpSetOption(handle_, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context)) {
            return false;
        }
        callbackSet_ =
            WinHttpSetStatusCallback(handle_, OnStatus, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS,
                                     0) != WINHTTP_INVALID_STATUS_CALLBACK;
        return callbackSet_;
    }

    HINTERNET handle() const { return handle_; }
    DWORD_PTR context() const { return reinterpret_cast<DWORD_PTR>(completion_); }
    Completion& completion() { return *completion_; }

    // Clears the record before an operation is issued.
    void Arm() {
        std::lock_guard<std::mutex> lock(completion_->mutex);
        completion_->done = false;
        completion_->error = 0;
        completion_->size = 0;
    }

    // Waits for the operation in flight; bound(connected) tells whether one
    // of the fetch's bounds ran out. An interrupt closes the handle.
    template <typename Bound>
    Interrupt Wait(const FetchOptions& options, Bound bound) {
        std::unique_lock<std::mutex> lock(completion_->mutex);
        while (!completion_->done) {
            completion_->changed.wait_for(lock, kWaitSlice);
            if (completion_->done) {
                break;
            }
            Interrupt why = Interrupt::kNone;
            if (options.cancel != nullptr && options.cancel->load()) {
                why = Interrupt::kCancelled;
            } else {
                why = bound(completion_->connected);
            }
            if (why != Interrupt::kNone) {
                lock.unlock();
                Close();
                return why;
            }
        }
        return Interrupt::kNone;
    }

    void Close() {
        if (handle_ != nullptr) {
            WinHttpCloseHandle(handle_);
            handle_ = nullptr;
        }
        if (completion_ != nullptr) {
            if (!callbackSet_) {
                Release(completion_);  // WinHTTP never had it
            }
            Release(completion_);
            completion_ = nullptr;
        }
    }

private:
    HINTERNET handle_ = nullptr;
    bool callbackSet_ = false;
    Completion* completion_;
};

// A header of the answer as text; "" when absent or too long.
std::string QueryHeader(HINTERNET request, DWORD which) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                        &size, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0 || size > kMaxHeaderBytes) {
        return "";
    }
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, &value[0], &bytes,
                             WINHTTP_NO_HEADER_INDEX)) {
        return "";
    }
    value.resize(std::min<size_t>(bytes / sizeof(wchar_t), value.size()));
    while (!value.empty() && value.back() == L'\0') {
        value.pop_back();
    }
    return Narrow(value);
}

std::string ErrorText(DWORD error) {
    switch (error) {
        case ERROR_WINHTTP_CANNOT_CONNECT:
            return "cannot connect (refused or unreachable)";
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            return "cannot resolve the host name";
        case ERROR_WINHTTP_SECURE_FAILURE:
        case ERROR_WINHTTP_SECURE_INVALID_CA:
        case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        case ERROR_WINHTTP_SECURE_INVALID_CERT:
        case ERROR_WINHTTP_SECURE_CERT_REVOKED:
            return "server certificate not trusted (WinHTTP error " + std::to_string(error) + ")";
        case ERROR_WINHTTP_CONNECTION_ERROR:
            return "connection lost";
        case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
            return "invalid answer from the server";
        case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
        case ERROR_WINHTTP_INVALID_URL:
            return "not an http or https address";
        default:
            return "WinHTTP error " + std::to_string(error);
    }
}

// ---- certificate check ----

struct CertCloser {
    void operator()(const CERT_CONTEXT* cert) const { CertFreeCertificateContext(cert); }
};
using CertHandle = std::unique_ptr<const CERT_CONTEXT, CertCloser>;

// The first certificate of a PEM file.
CertHandle LoadPemCertificate(const std::string& path) {
    auto text = platform::ReadWholeFile(path);
    if (!text || text->size() > 0x7fffffff) {
        return nullptr;
    }
    DWORD size = 0;
    if (!CryptStringToBinaryA(text->c_str(), static_cast<DWORD>(text->size()),
                              CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr) ||
        size == 0) {
        return nullptr;
    }
    std::string der(size, '\0');
    if (!CryptStringToBinaryA(text->c_str(), static_cast<DWORD>(text->size()),
                              CRYPT_STRING_BASE64HEADER, reinterpret_cast<BYTE*>(&der[0]), &size,
                              nullptr, nullptr)) {
        return nullptr;
    }
    return CertHandle(CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), size));
}

// Whether the system's own roots trust cert for a TLS server.
bool SystemTrusts(const CERT_CONTEXT* cert) {
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof para;
    const CERT_CHAIN_CONTEXT* chain = nullptr;
    if (!CertGetCertificateChain(nullptr, cert, nullptr, cert->hCertStore, &para, 0, nullptr,
                                 &chain)) {
        return false;
    }
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = SECURITY_FLAG_IGNORE_CERT_CN_INVALID;  // WinHTTP checks the name
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof status;
    const bool ok =
        CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) &&
        status.dwError == 0;
    CertFreeCertificateChain(chain);
    return ok;
}

// Empty when the server's certificate is trusted, else why not.
std::string CheckServerCertificate(HINTERNET request, const std::string& caFile) {
    const CERT_CONTEXT* raw = nullptr;
    DWORD size = sizeof raw;
    if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &raw, &size) ||
        raw == nullptr) {
        return "server certificate not available";
    }
    CertHandle server(raw);
    if (SystemTrusts(server.get())) {
        return "";
    }
    CertHandle ca = LoadPemCertificate(caFile);
    if (!ca) {
        return "cannot read the CA file " + caFile;
    }
    if (!CertCompareCertificateName(X509_ASN_ENCODING, &server->pCertInfo->Issuer,
                                    &ca->pCertInfo->Subject) ||
        !CryptVerifyCertificateSignatureEx(
            0, X509_ASN_ENCODING, CRYPT_VERIFY_CERT_SIGN_SUBJECT_CERT,
            const_cast<CERT_CONTEXT*>(server.get()), CRYPT_VERIFY_CERT_SIGN_ISSUER_CERT,
            const_cast<CERT_CONTEXT*>(ca.get()), 0, nullptr) ||
        CertVerifyTimeValidity(nullptr, ca->pCertInfo) != 0) {
        return "server certificate not trusted: not issued by the given authority";
    }
    return "";
}

// ---- one hop ----

struct Hop {
    std::string location;  // of a redirect answer
    bool redirect = false;
    bool finished = false;  // result is final (success or failure)
};

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

class Fetcher {
public:
    Fetcher(const FetchOptions& options, FetchResult& result)
        : options_(options), result_(result), body_(result, options), start_(Clock::now()) {}

    void Run(const std::string& url);

private:
    // The parts of an address WinHTTP connects and asks with.
    struct Target {
        std::wstring host;
        INTERNET_PORT port = 0;
        std::wstring path;  // with the query, without a fragment
        bool secure = false;
    };

    Hop OneHop(HINTERNET session, const std::string& url);
    bool Crack(const std::string& url, Target& target);
    // The request's options and range; relaxed: checked against the CA file.
    bool Prepare(Request& request, bool relaxed);
    template <typename Issue>
    bool Step(Request& request, Issue issue);
    // Status and headers: true when the body is to be read.
    bool ReadAnswer(Request& request, Hop& hop);
    void ReadBody(Request& request);
    void Fail(const std::string& error) {
        result_.ok = false;
        result_.error = error;
    }
    void FailInterrupt(Interrupt why);
    Interrupt Bound(bool connecting, Clock::time_point hopStart, bool connected);

    const FetchOptions& options_;
    FetchResult& result_;
    detail::BodyCollector body_;
    Clock::time_point start_;
    Clock::time_point lastByte_;
    bool connectedSeen_ = false;  // of the hop being made
    Clock::time_point hopStart_;
    bool connecting_ = false;  // the request is not sent yet
};

void Fetcher::FailInterrupt(Interrupt why) {
    switch (why) {
        case Interrupt::kCancelled:
            Fail(detail::kCancelled);
            break;
        case Interrupt::kStalled:
            Fail("timed out: no data for " + detail::DurationText(options_.stallTimeout));
            break;
        case Interrupt::kConnectTimeout:
            Fail("timed out: connecting for " + detail::DurationText(options_.connectTimeout));
            break;
        case Interrupt::kOverall:
            Fail("timed out: over " + detail::DurationText(options_.overallTimeout) + " in all");
            break;
        case Interrupt::kNone:
            break;
    }
}

// Until the connection stands the connect bound applies; from then on
// silence counts (the TLS handshake included).
Interrupt Fetcher::Bound(bool connecting, Clock::time_point hopStart, bool connected) {
    const Clock::time_point now = Clock::now();
    if (now - start_ >= options_.overallTimeout) {
        return Interrupt::kOverall;
    }
    if (connecting && !connected) {
        return now - hopStart >= options_.connectTimeout ? Interrupt::kConnectTimeout
                                                         : Interrupt::kNone;
    }
    if (connecting && !connectedSeen_) {
        connectedSeen_ = true;
        lastByte_ = now;
    }
    return now - lastByte_ >= options_.stallTimeout ? Interrupt::kStalled : Interrupt::kNone;
}

bool Fetcher::Crack(const std::string& url, Target& target) {
    const std::wstring wideUrl = Widen(url);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (wideUrl.empty() ||
        !WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts)) {
        Fail(GetLastError() == ERROR_WINHTTP_UNRECOGNIZED_SCHEME ? "not an http or https address"
                                                                 : "not a valid address");
        return false;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        Fail("not an http or https address");
        return false;
    }
    auto part = [](const wchar_t* text, DWORD length) {
        return text != nullptr ? std::wstring(text, length) : std::wstring();
    };
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    target.port = parts.nPort;
    target.host = part(parts.lpszHostName, parts.dwHostNameLength);
    target.path = part(parts.lpszUrlPath, parts.dwUrlPathLength);
    std::wstring extra = part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    extra = extra.substr(0, extra.find(L'#'));
    if (target.host.empty()) {
        Fail("not a valid address");
        return false;
    }
    if (target.path.empty()) {
        target.path = L"/";
    }
    target.path += extra;
    return true;
}

bool Fetcher::Prepare(Request& request, bool relaxed) {
    // A connection let through by the relaxed check must not go back to
    // WinHTTP's pool (which Wine shares between sessions): a later fetch
    // without the extra authority would be sent over it unchecked.
    DWORD disabled = WINHTTP_DISABLE_REDIRECTS | (relaxed ? WINHTTP_DISABLE_KEEP_ALIVE : 0);
    if (!WinHttpSetOption(request.handle(), WINHTTP_OPTION_DISABLE_FEATURE, &disabled,
                          sizeof disabled)) {
        Fail(ErrorText(GetLastError()));
        return false;
    }
    if (relaxed) {
        DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
        if (!WinHttpSetOption(request.handle(), WINHTTP_OPTION_SECURITY_FLAGS, &flags,
                              sizeof flags)) {
            Fail(ErrorText(GetLastError()));
            return false;
        }
    }
    if (options_.useRange) {
        const std::wstring range = Widen("Range: bytes=" + detail::RangeSpec(options_));
        WinHttpAddRequestHeaders(request.handle(), range.c_str(), static_cast<DWORD>(-1),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
    }
    return true;
}

// Each step: arm, issue, wait; a synchronous refusal or a reported error
// ends the hop.
template <typename Issue>
bool Fetcher::Step(Request& request, Issue issue) {
    request.Arm();
    if (!issue()) {
        Fail(ErrorText(GetLastError()));
        return false;
    }
    Interrupt why = request.Wait(
        options_, [this](bool connected) { return Bound(connecting_, hopStart_, connected); });
    if (why != Interrupt::kNone) {
        FailInterrupt(why);
        return false;
    }
    DWORD error = 0;
    DWORD secureFlags = 0;
    {
        std::lock_guard<std::mutex> lock(request.completion().mutex);
        error = request.completion().error;
        secureFlags = request.completion().secureFlags;
    }
    if (error == ERROR_WINHTTP_TIMEOUT) {
        FailInterrupt(connecting_ && !connectedSeen_ ? Interrupt::kConnectTimeout
                                                     : Interrupt::kStalled);
        return false;
    }
    if (error == ERROR_WINHTTP_SECURE_FAILURE && secureFlags != 0) {
        Fail("server certificate not trusted (WinHTTP flags 0x" + Hex(secureFlags) + ")");
        return false;
    }
    if (error != 0) {
        Fail(ErrorText(error));
        return false;
    }
    return true;
}

bool Fetcher::ReadAnswer(Request& request, Hop& hop) {
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!WinHttpQueryHeaders(
            request.handle(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
            WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX) ||
        status < 100 || status > 999) {
        Fail("invalid answer from the server");
        return false;
    }
    result_.status = static_cast<int>(status);
    detail::ReadHeaders(result_, QueryHeader(request.handle(), WINHTTP_QUERY_CONTENT_TYPE),
                        QueryHeader(request.handle(), WINHTTP_QUERY_CONTENT_LENGTH),
                        QueryHeader(request.handle(), WINHTTP_QUERY_CONTENT_RANGE));
    if (IsRedirect(result_.status)) {
        hop.location = QueryHeader(request.handle(), WINHTTP_QUERY_LOCATION);
        if (!hop.location.empty()) {
            hop.redirect = true;
            hop.finished = false;
            return false;
        }
    }
    const bool wanted = result_.status >= 200 && result_.status <= 299;
    if (!wanted) {
        detail::JudgeAnswer(result_, options_);
        return false;  // the error page is not read
    }
    if (detail::WholeFileForRange(result_.status, options_)) {
        Fail(detail::WholeFileText(result_.status));
        return false;
    }
    if (std::string why = detail::RangeProblem(result_, options_); !why.empty()) {
        Fail(why);
        return false;  // none of its bytes are read
    }
    return true;
}

// The body: ask what is there, read it, until the end or maxBytes.
void Fetcher::ReadBody(Request& request) {
    std::vector<char>& buffer = request.completion().buffer;
    buffer.resize(kReadChunk);
    std::uint64_t received = 0;
    while (true) {
        if (!Step(request, [&] { return WinHttpQueryDataAvailable(request.handle(), nullptr); })) {
            return;
        }
        DWORD available = 0;
        {
            std::lock_guard<std::mutex> lock(request.completion().mutex);
            available = request.completion().size;
        }
        if (available == 0) {
            break;  // the end of the body
        }
        const DWORD want = std::min(available, kReadChunk);
        if (!Step(request, [&] {
                return WinHttpReadData(request.handle(), buffer.data(), want, nullptr);
            })) {
            return;
        }
        DWORD read = 0;
        {
            std::lock_guard<std::mutex> lock(request.completion().mutex);
            read = std::min(request.completion().size, want);
        }
        if (read == 0) {
            break;
        }
        lastByte_ = Clock::now();
        received += read;
        const auto take = body_.Add(buffer.data(), read);
        if (take == detail::BodyCollector::Take::kStopped) {
            Fail(detail::kStoppedByReceiver);
            return;
        }
        if (take == detail::BodyCollector::Take::kFull) {
            detail::JudgeAnswer(result_, options_);
            return;
        }
    }
    // A body that ends before its announced length is a lost connection,
    // not a whole page.
    if (result_.contentLength && received < *result_.contentLength) {
        Fail("connection lost: the body ended after " + std::to_string(received) + " of " +
             std::to_string(*result_.contentLength) + " bytes");
        return;
    }
    detail::JudgeAnswer(result_, options_);
}

Hop Fetcher::OneHop(HINTERNET session, const std::string& url) {
    Hop hop;
    hop.finished = true;
    result_.finalUrl = url;
    Target target;
    if (!Crack(url, target)) {
        return hop;
    }
    InternetHandle connect(WinHttpConnect(session, target.host.c_str(), target.port, 0));
    if (!connect) {
        Fail(ErrorText(GetLastError()));
        return hop;
    }
    Request request;
    if (!request.Open(connect.get(), target.path, target.secure)) {
        Fail(ErrorText(GetLastError()));
        return hop;
    }
    const bool relaxed = target.secure && !options_.caFile.empty();
    if (!Prepare(request, relaxed)) {
        return hop;
    }
    hopStart_ = Clock::now();
    connecting_ = true;
    connectedSeen_ = false;
    if (!Step(request, [&] {
            // The last argument is the context again: WinHTTP replaces the
            // one set before with it.
            return WinHttpSendRequest(request.handle(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                      WINHTTP_NO_REQUEST_DATA, 0, 0, request.context());
        })) {
        return hop;
    }
    connecting_ = false;
    lastByte_ = Clock::now();
    if (relaxed) {
        const std::string why = CheckServerCertificate(request.handle(), options_.caFile);
        if (!why.empty()) {
            Fail(why);
            return hop;
        }
    }
    if (!Step(request, [&] { return WinHttpReceiveResponse(request.handle(), nullptr); })) {
        return hop;
    }
    lastByte_ = Clock::now();
    if (ReadAnswer(request, hop)) {
        ReadBody(request);
    }
    return hop;
}

void Fetcher::Run(const std::string& url) {
    if (options_.useRange && options_.rangeLast && *options_.rangeLast < options_.rangeFirst) {
        Fail("empty byte range");
        return;
    }
    InternetHandle session(WinHttpOpen(L"Tesmar", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS,
                                       WINHTTP_FLAG_ASYNC));
    if (!session) {
        Fail(ErrorText(GetLastError()));
        return;
    }
    // TLS 1.2 and later only: older versions are what servers refuse today,
    // and WinHTTP's default on older systems (and Wine) is TLS 1.0. Systems
    // that know no TLS 1.3 refuse the pair: TLS 1.2 alone then.
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    if (!WinHttpSetOption(session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                          sizeof protocols)) {
        protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
        WinHttpSetOption(session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                         sizeof protocols);
    }
    // WinHTTP's own bounds back ours up; ours end the fetch first.
    const DWORD connectMs = Millis(options_.connectTimeout);
    const DWORD stallMs = Millis(options_.stallTimeout + std::chrono::seconds(5));
    WinHttpSetTimeouts(session.get(), static_cast<int>(connectMs), static_cast<int>(connectMs),
                       static_cast<int>(stallMs), static_cast<int>(stallMs));
    std::string current = url;
    for (int redirects = 0;; ++redirects) {
        Hop hop = OneHop(session.get(), current);
        if (hop.finished) {
            return;
        }
        if (redirects >= options_.maxRedirects) {
            Fail(detail::kTooManyRedirects);
            return;
        }
        const std::string next = detail::ResolveLocation(current, hop.location);
        if (next.empty()) {
            Fail("redirect to an invalid address");
            return;
        }
        current = next;
        result_.body.clear();
        result_.contentType.clear();
        result_.charset.clear();
        result_.contentLength.reset();
    }
}

}  // namespace

FetchResult Fetch(const std::string& url, const FetchOptions& options) {
    FetchResult result;
    result.finalUrl = url;
    Fetcher(options, result).Run(url);
    return result;
}

}  // namespace http
