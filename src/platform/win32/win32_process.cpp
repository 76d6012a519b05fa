// The process: its command line, its folder, its resources, its end.
#include "platform/win32/win32_platform.h"

#include "platform/version_info.h"
#include "resource.h"

namespace larkspur::win32 {

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring VersionString(HMODULE module, const wchar_t* name) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) {
        return std::wstring();
    }
    // Read in place, without version.dll (see version_info.h).
    return VersionInfoString(
        std::span(static_cast<const uint8_t*>(data), SizeofResource(module, found)), name);
}

std::wstring Win32Process::CommandLine() {
    return GetCommandLineW();
}

std::wstring Win32Process::ProgramFolder() {
    const std::wstring path = ModulePath(nullptr);
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return path;
    }
    // A drive root keeps its backslash: "C:\", not "C:".
    return path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash);
}

std::wstring Win32Process::ProgramPath() {
    return ModulePath(nullptr);
}

std::wstring Win32Process::ProductName() {
    return VersionString(nullptr, L"ProductName");
}

std::wstring Win32Process::AppTitle() {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out a pointer into the resource.
    const int n =
        LoadStringW(GetModuleHandleW(nullptr), IDS_APPTITLE, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 ? std::wstring(text, n) : std::wstring(L"Larkspur");
}

std::wstring Win32Process::LocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    return text;
}

uint64_t Win32Process::Milliseconds() {
    return GetTickCount64();
}

void Win32Process::Exit(int code) {
    ExitProcess(static_cast<UINT>(code));
}

}  // namespace larkspur::win32
