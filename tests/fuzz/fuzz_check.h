// What the fuzz targets share: a property check that stops the run with a
// readable message (libFuzzer then saves the input as a crash), wide text
// from the fuzzer's bytes, and the shell's way of quoting a path.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

namespace larkspur::fuzz {

// Printable form of wide text: ASCII as is, everything else as \x{...}.
inline std::string Show(const std::wstring& text) {
    std::string out = "\"";
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\x{%X}", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out + "\"";
}

inline std::string Show(const std::vector<std::wstring>& list) {
    std::string out = "[";
    for (size_t i = 0; i < list.size(); ++i) {
        out += (i ? ", " : "") + Show(list[i]);
    }
    return out + "]";
}

[[noreturn]] inline void Fail(const char* file, int line, const char* what,
                              const std::string& context) {
    std::fprintf(stderr, "\n%s:%d: property failed: %s\n%s\n", file, line, what, context.c_str());
    std::abort();
}

// FUZZ_CHECK(condition, context): context is a std::string built only on failure.
#define FUZZ_CHECK(condition, context)                                                         \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            ::larkspur::fuzz::Fail(__FILE__, __LINE__, #condition, std::string() + (context)); \
        }                                                                                      \
    } while (0)

// One character from a small alphabet most of the time (so that the
// interesting characters turn up), any UTF-16 code unit or code point now
// and then.
inline wchar_t PickChar(FuzzedDataProvider& data, const std::wstring& alphabet) {
    if (data.ConsumeIntegralInRange<int>(0, 15) != 0) {
        return alphabet[data.ConsumeIntegralInRange<size_t>(0, alphabet.size() - 1)];
    }
    return static_cast<wchar_t>(data.ConsumeIntegralInRange<uint32_t>(1, 0x10FFFF));
}

// A path as the Windows shell puts it on a command line: in double quotes
// when it holds a space.
inline std::wstring ShellQuoted(const std::wstring& path, bool quoteAnyway = false) {
    return quoteAnyway || path.find(L' ') != std::wstring::npos ? L"\"" + path + L"\"" : path;
}

// ASCII letters folded to lower case: the file system's name comparison.
inline std::wstring Folded(std::wstring s) {
    for (wchar_t& c : s) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return s;
}

// ASCII letters as they are (0), in upper case (1) or in lower case (2).
inline std::wstring ChangeCase(std::wstring s, int how) {
    for (wchar_t& c : s) {
        if (how == 1 && c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        } else if (how == 2 && c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return s;
}

}  // namespace larkspur::fuzz
