#include "update/place/AtomicFile.h"

#include <windows.h>

#include "base/Handles.h"
#include "update/place/ReplaceFile.h"

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes,
                           const StopSignal* stop) {
    const std::string temp = path + ".tmp";
    bool saved = false;
    {
        const Base::UniqueKernelHandle file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                          nullptr));
        DWORD written = 0;
        saved = file &&
                ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) &&
                written == bytes.size() && ::FlushFileBuffers(file.get());
    }
    if (saved) {
        const ReplaceResult moved = RetryWhileHeld(
            [&] {
                return ::MoveFileExA(temp.c_str(), path.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            },
            {path}, stop);
        saved = moved == ReplaceResult::Moved;
        if (moved == ReplaceResult::Locked)
            ::SetLastError(ERROR_SHARING_VIOLATION);
    }
    if (!saved) {
        // The caller may report why the save failed.
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temp.c_str());
        ::SetLastError(error);
    }
    return saved;
}
