#include "app/PageTrust.h"

#include <windows.h>

#include "app/PageOrigin.h"
#include "ui/browser/WebBrowser.h"

namespace {

// Lossless, unlike the ANSI code page, whose '?' for a character it lacks
// could end a host name early.
std::string ToUtf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, &result[0], bytes, nullptr,
                              nullptr);
    }
    return result;
}

// The page's origin only: a URL's path and query may carry a login.
std::string Describe(const std::string& url) {
    if (url.empty())
        return "the browser shows no page";
    if (const auto origin = OriginOf(url)) {
        return "the page is on " + origin->scheme + "://" + origin->host + ":" +
               std::to_string(origin->port) + ", not on an operator host";
    }
    return "the page is not on an http or https host";
}

}  // namespace

bool ShowsOperatorPage(const SkinUI::CWebBrowserUI& browser, const char* command) {
    const std::string url = ToUtf8(browser.GetLocationURL());
    if (IsOnOrigins(url, OperatorOrigins()))
        return true;
    ReportIgnoredCommand(command, Describe(url));
    return false;
}

void ReportIgnoredCommand(const char* command, const std::string& reason) {
    const std::string line = std::string("Launcher: ") + command + " ignored: " + reason + "\n";
    ::OutputDebugStringA(line.c_str());
}
