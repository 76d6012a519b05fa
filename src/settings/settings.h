// The settings file Brisa.ini beside the executable: its one table of keys,
// the records of its two sections with their load and save, and the one rule
// by which every numeric setting is read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace larkspur {

// Silent: the Silent Mode settings, edited by the settings window.
// Setting: the output folder dialog's remembered choices.
enum class Section { Silent, Setting };

// clang-format off
enum class Key { Use, Location, Force, Attributes, ReadOnly, Hidden, System, Archive,
                 Engine, Verify, Log, Quiet };
// clang-format on

struct SettingsKey {
    Section section;
    Key key;
};

// Every key the program reads or writes, section by section, in the order
// the windows write them (Engine, Verify, Log and Quiet are read only).
inline constexpr SettingsKey kSettingsKeys[] = {
    {Section::Silent, Key::Use},         {Section::Silent, Key::Location},
    {Section::Silent, Key::Force},       {Section::Silent, Key::Attributes},
    {Section::Silent, Key::ReadOnly},    {Section::Silent, Key::Hidden},
    {Section::Silent, Key::System},      {Section::Silent, Key::Archive},
    {Section::Silent, Key::Engine},      {Section::Silent, Key::Verify},
    {Section::Silent, Key::Log},         {Section::Silent, Key::Quiet},
    {Section::Setting, Key::Use},        {Section::Setting, Key::Location},
    {Section::Setting, Key::Attributes}, {Section::Setting, Key::ReadOnly},
    {Section::Setting, Key::Hidden},     {Section::Setting, Key::System},
    {Section::Setting, Key::Archive},
};

const wchar_t* SectionName(Section section);  // the names in the file
const wchar_t* KeyName(Key key);

// The check-box state for a stored setting: 0 unticked, 1 ticked, 2 greyed.
// Any other number shows greyed: like greyed it counts as on for the
// attributes, and like greyed it is neither 0 nor 1 for the settings that
// only know those two, so saving it back changes nothing for a run.
inline int CheckStateOf(int stored) {
    return stored >= 0 && stored <= 2 ? stored : 2;
}

// The longest setting the settings file gives back whole.
constexpr size_t kMaxSettingLength = 254;

// An output folder and the attributes its copies get, with whether they are
// in use: section Setting (use: "Set Default"), and the part of section
// Silent the output folder dialog shows. Numbers by the number rule below.
struct FolderChoice {
    int use = 0;
    std::wstring location;  // at most kMaxSettingLength characters when read
    int attributes = 0;     // the heading: not 0, the copies get exactly the set
    int readOnly = 0, hidden = 0, system = 0, archive = 0;

    // Each box not 0 gives its attribute: a greyed 2 is no other attribute.
    uint32_t AttributeSet() const {
        auto bit = [](int state, uint32_t attribute) { return state != 0 ? attribute : 0; };
        return bit(readOnly, kAttrReadOnly) | bit(hidden, kAttrHidden) | bit(system, kAttrSystem) |
               bit(archive, kAttrArchive);
    }
    bool operator==(const FolderChoice&) const = default;
};

// Section Silent.
struct SilentSettings : FolderChoice {
    bool locationTooLong = false;  // the file holds more than location
    int force = 0;
    bool attributePass = false;  // Attributes not 0 before rounding: 0.25 counts
    int engine = 0, verify = 0, quiet = 0;
    std::wstring log;
};

class Settings {
  public:
    // The file: the program's folder, a backslash, Brisa.ini.
    Settings(ProfileStore& profile, Process& process);

    const std::wstring& Path() const { return path_; }

    SilentSettings Silent() const;
    FolderChoice Defaults() const { return Choice(Section::Setting); }
    // Use, then the rest only when use is not 0, so that switching a section
    // off keeps them; never Engine, Verify, Log and Quiet. True when every
    // write was done (they stop at the first that fails).
    bool Save(const SilentSettings& s) const { return Save(Section::Silent, s, &s.force); }
    bool SaveDefaults(const FolderChoice& c) const { return Save(Section::Setting, c, nullptr); }

  private:
    // Text of one setting, at most kMaxSettingLength characters; empty when
    // the file, the section or the key is missing.
    std::wstring Text(Section section, Key key) const;
    // Text read by the number rule below.
    int16_t Number(Section section, Key key) const;
    FolderChoice Choice(Section section) const;
    bool Save(Section section, const FolderChoice& choice, const int* force) const;

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
