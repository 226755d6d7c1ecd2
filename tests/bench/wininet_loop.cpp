// The reference for the launcher's download: the barest WinInet loop, one
// request read in fixed blocks straight into a file, nothing else. Prints the
// seconds from the request to the file closed, so the program's start-up
// (Wine's) is not part of the figure.
//   wininet_loop URL OUTPUT [BLOCK_BYTES]   (default 16384)
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: wininet_loop URL OUTPUT [BLOCK_BYTES]\n");
        return 2;
    }
    const DWORD block = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 16384;
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);

    HINTERNET session =
        ::InternetOpenA("wininet_loop", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET url = session
                        ? ::InternetOpenUrlA(session, argv[1], nullptr, 0,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                        : nullptr;
    HANDLE out = ::CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!url || out == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open the URL or the output\n");
        return 1;
    }
    std::vector<char> buffer(block);
    unsigned long long total = 0;
    DWORD got = 0;
    while (::InternetReadFile(url, buffer.data(), block, &got) && got > 0) {
        DWORD written = 0;
        ::WriteFile(out, buffer.data(), got, &written, nullptr);
        total += got;
    }
    ::CloseHandle(out);
    ::InternetCloseHandle(url);
    ::InternetCloseHandle(session);
    ::QueryPerformanceCounter(&end);
    std::printf("%.4f %llu\n",
                static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart),
                total);
    return 0;
}
