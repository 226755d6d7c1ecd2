// A whole file mapped into memory: read-only (the old file a patch refers
// to), or created at a size fixed up front and mapped for writing (the new
// file a patch is decoded into). The pages are the file's own, so neither
// costs private memory however large the file. The view, the mapping and the
// file go in that order with the object.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/Handles.h"

class MappedFile {
public:
    // Nothing when the file cannot be opened or mapped, is empty (an empty
    // file has no view) or is larger than largest.
    static std::unique_ptr<MappedFile> OpenReadOnly(const std::string& path,
                                                    uint64_t largest = SIZE_MAX);
    // A new file of size bytes (any file there is replaced), mapped for
    // writing; nothing when it cannot be made or mapped, or size is 0. Its
    // room on the disk is taken first: a page written through the view to a
    // sparse file (Wine's, or in a compressed folder) on a full disk raises
    // an in-page error that nothing can handle, while a full disk here fails
    // the call with ERROR_DISK_FULL as the last error.
    static std::unique_ptr<MappedFile> Create(const std::string& path, uint64_t size);

    const char* Data() const { return static_cast<const char*>(m_view.get()); }
    char* Data() { return static_cast<char*>(m_view.get()); }
    size_t Size() const { return m_nSize; }
    // Writes the view's changed pages and then the file to disk.
    bool Flush();

private:
    static void Unmap(void* view) { ::UnmapViewOfFile(view); }
    using UniqueView = Base::UniqueHandle<void*, Base::NullableHandleTraits<void*, Unmap>>;

    static bool Allocate(HANDLE file, uint64_t size);
    static std::unique_ptr<MappedFile> Map(Base::UniqueKernelHandle file, uint64_t size,
                                           bool writable);

    size_t m_nSize = 0;
    Base::UniqueKernelHandle m_hFile;
    Base::UniqueKernelHandle m_hMapping;
    UniqueView m_view;  // last, so it goes first
};
