#include "tools/publish/NativePath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <memory>
#include <optional>
#endif

#include "update/format/MirrorFormat.h"

#ifdef _WIN32

std::string ToNarrow(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), size,
                        nullptr, nullptr);
    return narrow;
}

std::filesystem::path FromNarrow(const std::string& text) {
    if (text.empty())
        return {};
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string ToAnsiName(const std::filesystem::path& component, NameEncoding) {
    return ToNarrow(component);
}

#else

namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// `text` converted between two encodings, or nothing when it does not convert.
std::optional<std::string> Convert(const char* from, const char* to, const std::string& text) {
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    const std::unique_ptr<void, IconvCloser> owner(cd);
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* at = out.data();
    size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &at, &outLeft) == static_cast<size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::string ToNarrow(const std::filesystem::path& path) {
    return path.native();
}

std::filesystem::path FromNarrow(const std::string& text) {
    return text;
}

std::string ToAnsiName(const std::filesystem::path& component, NameEncoding encoding) {
    const std::string& bytes = component.native();
    if (encoding == NameEncoding::Gbk)
        return bytes;
    // Validated through GBK itself, so invalid UTF-8 is caught as well.
    return Convert("UTF-8", "GBK", bytes).value_or("?");
}

#endif

std::filesystem::path ListedFilePath(const std::filesystem::path& root, const std::string& name,
                                     NameEncoding encoding) {
    std::string relative = ToUrlPath(name);
    relative.erase(0, relative.find_first_not_of('/'));
#ifndef _WIN32
    if (encoding == NameEncoding::Utf8) {
        relative = Convert("GBK", "UTF-8", relative).value_or(relative);
    }
#else
    (void)encoding;
#endif
    return root / FromNarrow(relative);
}

bool ParseNameEncoding(const std::vector<std::string>& args, size_t& i, NameEncoding& encoding) {
    if (args[i] != "--name-encoding" || i + 1 >= args.size())
        return false;
    const std::string& value = args[i + 1];
    if (value != "utf-8" && value != "gbk")
        return false;
    encoding = value == "gbk" ? NameEncoding::Gbk : NameEncoding::Utf8;
    ++i;
    return true;
}
