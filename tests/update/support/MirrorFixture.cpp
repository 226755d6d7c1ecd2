#include "tests/update/support/MirrorFixture.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "identity/Md5.h"
#include "base/Handles.h"

namespace mirror {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Host paths reach Windows programs through Wine's Z: drive.
std::string HostToWindows(std::string path) {
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return "Z:" + path;
}

std::string Get(const std::string& url) {
    Base::UniqueInternet session(
        ::InternetOpenA("mirror-fixture", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    Base::UniqueInternet request(
        ::InternetOpenUrlA(session.get(), url.c_str(), nullptr, 0,
                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    std::string body;
    char buffer[4096];
    DWORD got = 0;
    while (request && ::InternetReadFile(request.get(), buffer, sizeof(buffer), &got) && got) {
        body.append(buffer, got);
    }
    return body;
}

}  // namespace

std::string Url() {
    return Env("MIRROR_URL");
}

std::string InstallDir() {
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.rfind('\\') + 1);
}

std::string Path(const std::string& relative) {
    std::string rel = relative;
    for (char& c : rel) {
        if (c == '/')
            c = '\\';
    }
    if (!rel.empty() && rel[0] == '\\')
        rel.erase(0, 1);
    return HostToWindows(Env("MIRROR_ROOT")) + "\\" + rel;
}

void SetFault(const std::string& path, const std::string& kind, int times, double seconds, int rate,
              int after) {
    std::string url = Env("MIRROR_CONTROL") + "fault?path=" + path + "&kind=" + kind;
    if (times > 0)
        url += "&times=" + std::to_string(times);
    if (seconds > 0)
        url += "&seconds=" + std::to_string(seconds);
    if (rate > 0)
        url += "&rate=" + std::to_string(rate);
    if (after > 0)
        url += "&after=" + std::to_string(after);
    Get(url);
}

void ClearFaults() {
    Get(Env("MIRROR_CONTROL") + "clear");
}

std::vector<std::string> Requests() {
    std::istringstream in(Get(Env("MIRROR_CONTROL") + "requests"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> RequestsFor(const std::string& path) {
    const std::string needle = "\"path\": \"" + path + "\"";
    std::vector<std::string> lines;
    for (const std::string& line : Requests()) {
        if (line.find(needle) != std::string::npos)
            lines.push_back(line);
    }
    return lines;
}

size_t CountRequests(const std::string& path) {
    return RequestsFor(path).size();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    // Every folder on the way, split where FindLastSeparator would split.
    for (size_t i = 3; i < path.size(); ++i) {
        if (IsGbkLeadByte(path[i]))
            ++i;
        else if (path[i] == '\\')
            ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

void PublishVersion(const std::string& display, const std::string& stamp) {
    WriteFile(Path("ver.html"), FormatVersionText(display, stamp));
}

void PublishFiles(const std::vector<File>& files) {
    std::vector<ListedFile> listed;
    for (const File& file : files) {
        const std::string served = Path("plaza" + file.name);
        WriteFile(served, file.bytes);
        listed.push_back({file.name, static_cast<int64_t>(file.bytes.size()), Md5OfFile(served)});
    }
    WriteFile(Path("file.html"), EncodeFileList(listed).value_or(""));
}

void SignPublished(const std::vector<File>& files, uint64_t release, const ReleaseSecretKey& secret,
                   int64_t expiresIn) {
    ReleaseManifest m;
    m.release = release;
    m.expires = static_cast<int64_t>(std::time(nullptr)) + expiresIn;
    const std::string version = ReadFile(Path("ver.html"));
    m.stamp = ParseVersionText(version).stamp;
    m.versionSha256 = Sha256Of(version);
    m.listSha256 = Sha256Of(ReadFile(Path("file.html")));
    for (const File& file : files)
        m.files.push_back({file.name, Sha256Of(file.bytes)});
    WriteFile(Path(kReleaseSigName), SignRelease(m, secret));
}

void Zstd(const std::string& in, const std::string& out, const std::string& from) {
    std::string url = Env("MIRROR_CONTROL") + "zstd?in=" + in + "&out=" + out;
    if (!from.empty())
        url += "&from=" + from;
    Get(url);
}

}  // namespace mirror
