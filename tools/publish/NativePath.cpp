#include "tools/publish/NativePath.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include "update/MirrorFormat.h"

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

#else

std::string ToNarrow(const std::filesystem::path& path) {
    return path.native();
}
std::filesystem::path FromNarrow(const std::string& text) {
    return text;
}

#endif

std::filesystem::path ListedFilePath(const std::filesystem::path& root, const std::string& name) {
    std::string relative = ToUrlPath(name);
    relative.erase(0, relative.find_first_not_of('/'));
    return root / FromNarrow(relative);
}
