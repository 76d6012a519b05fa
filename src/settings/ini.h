// The settings file Brisa.ini beside the executable, and the one rule by
// which every numeric setting is read.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace larkspur {

// The keys of the attribute set, in its order: Read Only, Hidden, System,
// Archive.
constexpr std::array<const wchar_t*, 4> kAttributeKeys = {L"ReadOnly", L"Hidden", L"System",
                                                          L"Archive"};

// Full path of the settings file: the program's folder, a backslash, Brisa.ini.
std::wstring SettingsFilePath(Process& process);

// The longest setting the settings file gives back whole.
constexpr size_t kMaxSettingLength = 254;

// Text of one setting, at most kMaxSettingLength characters; empty when the
// file, the section or the key is missing.
std::wstring ReadIni(Platform& p, const std::wstring& section, const std::wstring& key);

// Whether a setting holds more than kMaxSettingLength characters, so that
// ReadIni gives only the start of it.
bool IniValueTooLong(Platform& p, const std::wstring& section, const std::wstring& key);

// Writes one setting, creating the file, section or key as needed; true on
// success.
bool WriteIni(Platform& p, const std::wstring& section, const std::wstring& key,
              const std::wstring& value);

// The leading decimal number of a settings text: blanks skipped, then an
// optional sign, digits, an optional fraction and an optional exponent.
// Empty or non-numeric text reads as 0.
double ReadNumber(std::wstring_view text);

// A number rounded to the nearest 16-bit integer, halves to the even
// neighbour; values beyond the 16-bit range are clamped to it.
int16_t RoundToInt16(double value);

// ReadIni followed by both rules above.
int16_t ReadIniInt16(Platform& p, const std::wstring& section, const std::wstring& key);

}  // namespace larkspur
