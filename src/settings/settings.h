// The settings file Brisa.ini beside the executable: its one table of keys,
// access to it, and the one rule by which every numeric setting is read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace larkspur {

// Silent: the Silent Mode settings, edited by the settings window.
// Setting: the output folder dialog's remembered choices.
enum class Section { Silent, Setting };

enum class Key { Use, Location, Force, Attributes, ReadOnly, Hidden, System, Archive, Engine };

struct SettingsKey {
    Section section;
    Key key;
};

// Every key the program reads or writes, section by section, in the order
// the windows write them (Engine is read only).
inline constexpr SettingsKey kSettingsKeys[] = {
    {Section::Silent, Key::Use},       {Section::Silent, Key::Location},
    {Section::Silent, Key::Force},     {Section::Silent, Key::Attributes},
    {Section::Silent, Key::ReadOnly},  {Section::Silent, Key::Hidden},
    {Section::Silent, Key::System},    {Section::Silent, Key::Archive},
    {Section::Silent, Key::Engine},    {Section::Setting, Key::Use},
    {Section::Setting, Key::Location}, {Section::Setting, Key::Attributes},
    {Section::Setting, Key::ReadOnly}, {Section::Setting, Key::Hidden},
    {Section::Setting, Key::System},   {Section::Setting, Key::Archive},
};

const wchar_t* SectionName(Section section);  // the names in the file
const wchar_t* KeyName(Key key);

// The keys of the attribute set, in its order, and the bit each one gives.
inline constexpr std::array<Key, 4> kAttributeKeys = {Key::ReadOnly, Key::Hidden, Key::System,
                                                      Key::Archive};
inline constexpr std::array<uint32_t, 4> kAttributeBits = {kAttrReadOnly, kAttrHidden, kAttrSystem,
                                                           kAttrArchive};

// The attribute set from the states of the four attribute choices, in the
// order of kAttributeKeys: each one that is not 0 adds its attribute once,
// so a greyed (2) or odd value never stands for another attribute.
uint32_t AttributeMask(const std::array<int, 4>& states);

// The longest setting the settings file gives back whole.
constexpr size_t kMaxSettingLength = 254;

class Settings {
  public:
    // The file: the program's folder, a backslash, Brisa.ini.
    Settings(ProfileStore& profile, Process& process);

    const std::wstring& Path() const { return path_; }

    // Text of one setting, at most kMaxSettingLength characters; empty when
    // the file, the section or the key is missing.
    std::wstring Text(Section section, Key key) const;
    // Whether a setting holds more than kMaxSettingLength characters, so
    // that Text gives only the start of it.
    bool TooLong(Section section, Key key) const;
    // Text read by the number rule below.
    int16_t Number(Section section, Key key) const;
    // Writes one setting, creating the file, section or key as needed; true
    // on success.
    bool Write(Section section, Key key, const std::wstring& value) const;

  private:
    ProfileStore& profile_;
    std::wstring path_;
};

// The leading decimal number of a settings text: blanks skipped, then an
// optional sign, digits, an optional fraction and an optional exponent.
// Empty or non-numeric text reads as 0.
double ReadNumber(std::wstring_view text);

// A number rounded to the nearest 16-bit integer, halves to the even
// neighbour; values beyond the 16-bit range are clamped to it.
int16_t RoundToInt16(double value);

}  // namespace larkspur
