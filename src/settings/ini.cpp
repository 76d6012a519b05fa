// Settings file access and the number rule.
//
// Numbers are parsed by hand rather than with the C library's conversions,
// which also accept hexadecimal, "inf" and "nan" and depend on the locale:
// only the plain decimal form counts, and what follows it is ignored, so
// "  +1.5e0x" reads as 1.5 and "0x10" as 0.
#include "settings/ini.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "copy/paths.h"

namespace larkspur {

namespace {

constexpr size_t kValueBufferSize = kMaxSettingLength + 1;

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

}  // namespace

std::wstring SettingsFilePath(Process& process) {
    return AddBackslash(process.ProgramFolder()) + L"Brisa.ini";
}

std::wstring ReadIni(Platform& p, const std::wstring& section, const std::wstring& key) {
    return p.profile.Read(section, key, kValueBufferSize, SettingsFilePath(p.process));
}

bool IniValueTooLong(Platform& p, const std::wstring& section, const std::wstring& key) {
    return p.profile.Read(section, key, kValueBufferSize + 1, SettingsFilePath(p.process)).size() >
           kMaxSettingLength;
}

bool WriteIni(Platform& p, const std::wstring& section, const std::wstring& key,
              const std::wstring& value) {
    return p.profile.Write(section, key, value, SettingsFilePath(p.process));
}

double ReadNumber(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) {
        ++i;
    }
    std::string number;  // the accepted characters, in ASCII
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        number += static_cast<char>(text[i++]);
    }
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        number += static_cast<char>(text[i++]);
        ++digits;
    }
    if (i < text.size() && text[i] == L'.') {
        size_t j = i + 1;
        std::string fraction = ".";
        while (j < text.size() && IsDigit(text[j])) {
            fraction += static_cast<char>(text[j++]);
        }
        if (digits > 0 || fraction.size() > 1) {
            digits += fraction.size() - 1;
            number += fraction;
            i = j;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    // An exponent counts only when at least one digit follows its letter.
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) {
            exponent += static_cast<char>(text[j++]);
        }
        const size_t firstDigit = j;
        while (j < text.size() && IsDigit(text[j])) {
            exponent += static_cast<char>(text[j++]);
        }
        if (j > firstDigit) {
            number += exponent;
        }
    }
    // The text is a plain decimal number now, which strtod reads the same in
    // every locale the program runs in (it never sets one); overflow gives
    // an infinity, which the 16-bit rounding clamps.
    return std::strtod(number.c_str(), nullptr);
}

int16_t RoundToInt16(double value) {
    if (!(value > -32768.0)) {
        return value != value ? 0 : -32768;  // NaN cannot come from ReadNumber
    }
    if (value >= 32767.0) {
        return 32767;
    }
    // nearbyint rounds in the current mode, which is to nearest, ties to even.
    return static_cast<int16_t>(std::nearbyint(value));
}

int16_t ReadIniInt16(Platform& p, const std::wstring& section, const std::wstring& key) {
    return RoundToInt16(ReadNumber(ReadIni(p, section, key)));
}

}  // namespace larkspur
