// What gathering the machine fingerprint costs the UI thread, which does it
// for every web request: the whole fill and its slow parts (the disk serial's
// device queries, the adapter list), and the café's bar number read beside
// it. The reference is one registry read of the same kind the fill makes
// (open, query, close under HKEY_LOCAL_MACHINE), timed in the same run.
// Prints the first call apart: the launcher's first request, at start-up,
// pays for it. Measures only; asserts nothing.
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "base/Handles.h"
#include "identity/HDSerial.h"
#include "identity/MachineIdentity.h"

namespace {

constexpr int kRounds = 50;

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    static const double frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / frequency;
}

struct Timing {
    double first;
    double median;
    double worst;
};

Timing Measure(const std::function<void()>& work) {
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        work();
        ::QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    const double first = times.front();
    std::sort(times.begin(), times.end());
    return {first, times[times.size() / 2], times.back()};
}

void OneRegistryRead() {
    Base::UniqueKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\BIOS", 0, KEY_READ,
                        key.put()) != ERROR_SUCCESS)
        return;
    unsigned char data[257] = {};
    DWORD size = 256;
    ::RegQueryValueExA(key.get(), "BIOSVersion", nullptr, nullptr, data, &size);
}

void AdapterList() {
    ULONG size = 0;
    if (::GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW)
        return;
    const std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    ::GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
}

const char* WineVersion() {
    using Version = const char*(CDECL*)();
    const auto version = reinterpret_cast<Version>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return version ? version() : nullptr;
}

}  // namespace

int main() {
    const char* wine = WineVersion();
    std::printf("fingerprint: %d rounds each, %s %s\n", kRounds, wine ? "Wine" : "Windows",
                wine ? wine : "");
    // The reference first, so the fill does not find the registry warmer.
    const Timing reference = Measure(OneRegistryRead);
    MachineInfo machine;
    const Timing fill = Measure([&] { FillMachineInfo(machine); });
    const Timing disk = Measure([] { CGetHDSerial().GetHDSerial(); });
    const Timing adapters = Measure(AdapterList);
    const Timing bar = Measure([] { ReadBarNumber(); });

    std::printf("%-38s %9s %9s %9s %10s\n", "", "first ms", "median ms", "worst ms", "x registry");
    const auto row = [&](const char* name, const Timing& timing) {
        std::printf("%-38s %9.3f %9.3f %9.3f %10.1f\n", name, timing.first, timing.median,
                    timing.worst, timing.median / reference.median);
    };
    row("one registry read (reference)", reference);
    row("the whole fingerprint", fill);
    row("  of it: the disk serial's queries", disk);
    row("  of it: the adapter list", adapters);
    row("the bar number (read beside it)", bar);
    std::printf("a request gathers it on the UI thread: %.1f ms median, %.1f ms worst%s\n",
                fill.median + bar.median, fill.worst + bar.worst,
                fill.worst + bar.worst > 50 ? " (over 50 ms)" : "");
    std::printf("fields: Os=%s Bios=%s Cpu=%s Disk=%s Mac=%s\n", machine.szSystemVer,
                machine.szBiosSerial, machine.szCpuSerial, machine.szHDSerial,
                machine.szMacAddress);
    return 0;
}
