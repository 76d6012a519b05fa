// The settings file through the profile functions.
#include "platform/win32/win32_platform.h"

namespace larkspur::win32 {

namespace {

// Creates the file as an empty UTF-16LE text (just the byte-order mark) when
// it does not exist yet; the profile functions then write it in UTF-16.
void CreateUnicodeFile(const std::wstring& file) {
    const FileHandle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) {
        return;  // it exists (keeps its encoding), or the write below reports the failure
    }
    static const BYTE kBom[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(h.get(), kBom, sizeof kBom, &written, nullptr);
}

}  // namespace

std::wstring Win32Profile::Read(const std::wstring& section, const std::wstring& key,
                                size_t capacity, const std::wstring& file) {
    std::wstring value(capacity, L'\0');
    const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value.data(),
                                             static_cast<DWORD>(capacity), file.c_str());
    value.resize(n);
    return value;
}

bool Win32Profile::Write(const std::wstring& section, const std::wstring& key,
                         const std::wstring& value, const std::wstring& file) {
    CreateUnicodeFile(file);
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
           FALSE;
}

}  // namespace larkspur::win32
