#include "update/sinks/MappedFile.h"

#include <cstdint>

namespace {

constexpr DWORD kZeroBlock = 1 << 20;

}  // namespace

std::unique_ptr<MappedFile> MappedFile::OpenReadOnly(const std::string& path, uint64_t largest) {
    Base::UniqueKernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                                nullptr));
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.get(), &size) ||
        static_cast<uint64_t>(size.QuadPart) > largest) {
        return nullptr;
    }
    return Map(std::move(file), static_cast<uint64_t>(size.QuadPart), false);
}

std::unique_ptr<MappedFile> MappedFile::Create(const std::string& path, uint64_t size) {
    if (size == 0 || size > SIZE_MAX)
        return nullptr;
    Base::UniqueKernelHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                nullptr));
    LARGE_INTEGER end = {};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!file || !::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(file.get()) || !Allocate(file.get(), size)) {
        return nullptr;
    }
    return Map(std::move(file), size, true);
}

bool MappedFile::Allocate(HANDLE file, uint64_t size) {
    // NTFS reserves the clusters (SetEndOfFile alone already does for a plain
    // file); where the system cannot be asked (Wine), zeros are written.
    FILE_ALLOCATION_INFO allocation = {};
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
    if (::SetFileInformationByHandle(file, FileAllocationInfo, &allocation, sizeof(allocation)))
        return true;
    LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    const std::unique_ptr<char[]> zeros(new char[kZeroBlock]());
    for (uint64_t left = size; left > 0;) {
        const DWORD block = static_cast<DWORD>(left < kZeroBlock ? left : kZeroBlock);
        DWORD written = 0;
        if (!::WriteFile(file, zeros.get(), block, &written, nullptr) || written != block)
            return false;
        left -= block;
    }
    return true;
}

std::unique_ptr<MappedFile> MappedFile::Map(Base::UniqueKernelHandle file, uint64_t size,
                                            bool writable) {
    if (size == 0 || size > SIZE_MAX)
        return nullptr;
    std::unique_ptr<MappedFile> mapped(new MappedFile());
    mapped->m_hFile = std::move(file);
    mapped->m_hMapping.reset(::CreateFileMappingA(
        mapped->m_hFile.get(), nullptr, writable ? PAGE_READWRITE : PAGE_READONLY,
        static_cast<DWORD>(size >> 32), static_cast<DWORD>(size), nullptr));
    if (!mapped->m_hMapping)
        return nullptr;
    mapped->m_view.reset(::MapViewOfFile(mapped->m_hMapping.get(),
                                         writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0,
                                         static_cast<size_t>(size)));
    if (!mapped->m_view)
        return nullptr;
    mapped->m_nSize = static_cast<size_t>(size);
    return mapped;
}

bool MappedFile::Flush() {
    return ::FlushViewOfFile(m_view.get(), 0) && ::FlushFileBuffers(m_hFile.get());
}
