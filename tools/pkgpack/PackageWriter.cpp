#include "tools/pkgpack/PackageWriter.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "zip.h"
#include "zlib.h"

namespace pkgpack {

namespace fs = std::filesystem;

namespace {

struct ZipCloser {
    void operator()(void* zip) const { zipClose(zip, nullptr); }
};
using ZipWriter = std::unique_ptr<void, ZipCloser>;

std::string MemberName(const fs::path& relative) {
    std::string name;
    for (const fs::path& part : relative) {
        if (!name.empty())
            name += '\\';
        name += part.string();
    }
    return name;
}

bool ReadFile(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

zip_fileinfo Timestamp() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    zip_fileinfo info = {};
    if (local) {
        info.tmz_date.tm_sec = static_cast<uInt>(local->tm_sec);
        info.tmz_date.tm_min = static_cast<uInt>(local->tm_min);
        info.tmz_date.tm_hour = static_cast<uInt>(local->tm_hour);
        info.tmz_date.tm_mday = static_cast<uInt>(local->tm_mday);
        info.tmz_date.tm_mon = static_cast<uInt>(local->tm_mon);
        info.tmz_date.tm_year = static_cast<uInt>(local->tm_year + 1900);
    }
    return info;
}

bool AddMember(void* zip, const PackageMember& member, const std::string& password,
               const zip_fileinfo& info) {
    constexpr int kWindowBits = -MAX_WBITS;  // raw deflate, as zip stores it
    constexpr int kMemLevel = 8;
    const uLong crc =
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(member.bytes.data()),
              static_cast<uInt>(member.bytes.size()));
    const int zip64 = member.bytes.size() >= 0xffffffffu ? 1 : 0;
    if (zipOpenNewFileInZip3_64(zip, member.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, Z_BEST_COMPRESSION, 0, kWindowBits, kMemLevel,
                                Z_DEFAULT_STRATEGY, password.empty() ? nullptr : password.c_str(),
                                crc, zip64) != ZIP_OK) {
        return false;
    }
    // zipWriteInFileInZip takes at most 4 GiB - 1 per call.
    constexpr size_t kSlice = 1u << 30;
    bool written = true;
    for (size_t offset = 0; written && offset < member.bytes.size(); offset += kSlice) {
        const size_t length = std::min(kSlice, member.bytes.size() - offset);
        written = zipWriteInFileInZip(zip, member.bytes.data() + offset,
                                      static_cast<unsigned>(length)) == ZIP_OK;
    }
    return zipCloseFileInZip(zip) == ZIP_OK && written;
}

}  // namespace

bool CollectFolder(const std::string& folder, std::vector<PackageMember>& members,
                   std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = "not a folder: " + folder;
        return false;
    }
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec))
            files.push_back(it->path());
    }
    if (ec) {
        error = "cannot list " + folder + ": " + ec.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    members.clear();
    for (const fs::path& file : files) {
        PackageMember member;
        member.name = MemberName(file.lexically_relative(folder));
        if (member.name.size() > kMaxMemberName) {
            error = "member name longer than " + std::to_string(kMaxMemberName) +
                    " bytes, which the launcher cannot find: " + member.name;
            return false;
        }
        // The launcher looks names up in its ANSI code page, the file system
        // here may hold them in another: only ASCII reads the same in both.
        if (std::any_of(member.name.begin(), member.name.end(),
                        [](char c) { return static_cast<unsigned char>(c) > 0x7F; })) {
            error = "member name is not ASCII, which the launcher may not find: " + member.name;
            return false;
        }
        if (!ReadFile(file, member.bytes)) {
            error = "cannot read " + file.string();
            return false;
        }
        members.push_back(std::move(member));
    }
    return true;
}

bool WritePackage(const std::vector<PackageMember>& members, const std::string& password,
                  const std::string& path, std::string& error) {
    const std::string temporary = path + ".part";
    bool complete = false;
    {
        ZipWriter zip(zipOpen64(temporary.c_str(), APPEND_STATUS_CREATE));
        if (!zip) {
            error = "cannot create " + temporary;
            return false;
        }
        const zip_fileinfo info = Timestamp();
        complete = std::all_of(members.begin(), members.end(), [&](const PackageMember& member) {
            if (AddMember(zip.get(), member, password, info))
                return true;
            error = "cannot write member " + member.name;
            return false;
        });
        if (complete && zipClose(zip.release(), nullptr) != ZIP_OK) {
            error = "cannot finish " + temporary;
            complete = false;
        }
    }
    std::error_code ec;
    if (complete) {
        // Windows will not rename over an existing file.
        fs::remove(path, ec);
        fs::rename(temporary, path, ec);
        if (!ec)
            return true;
        error = "cannot rename " + temporary + " to " + path + ": " + ec.message();
    }
    fs::remove(temporary, ec);
    return false;
}

}  // namespace pkgpack
