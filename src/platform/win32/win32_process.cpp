// The process: its command line, its folder, its resources, its end.
#include "platform/win32/win32_platform.h"

#include <vector>

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
    // VerQueryValueW wants a block it may write to, so it works on a copy.
    const DWORD size = SizeofResource(module, found);
    std::vector<BYTE> block(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    struct Translation {
        WORD language;
        WORD codePage;
    }* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(Translation)) {
        return std::wstring();
    }
    wchar_t query[64];
    wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\%s", translations[0].language,
              translations[0].codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) ||
        length == 0) {
        return std::wstring();
    }
    return std::wstring(value);
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

void Win32Process::Exit(int code) {
    ExitProcess(static_cast<UINT>(code));
}

}  // namespace larkspur::win32
