// Settings file access: its keys, the records of its two sections, the number rule.
//
// Numbers are parsed by hand rather than with the C library's conversions,
// which also accept hexadecimal, "inf" and "nan" and depend on the locale:
// only the plain decimal form counts, and what follows it is ignored, so
// "  +1.5e0x" reads as 1.5 and "0x10" as 0.
#include "settings/settings.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "paths/paths.h"

namespace larkspur {

namespace {

constexpr size_t kValueBufferSize = kMaxSettingLength + 1;

}  // namespace

const wchar_t* SectionName(Section section) {
    return section == Section::Silent ? L"Silent" : L"Setting";
}

const wchar_t* KeyName(Key key) {
    static constexpr const wchar_t* kNames[] = {
        L"Use",    L"Location", L"Force",  L"Attributes", L"ReadOnly", L"Hidden",
        L"System", L"Archive",  L"Engine", L"Verify",     L"Log",      L"Quiet",
    };
    return kNames[static_cast<size_t>(key)];
}

Settings::Settings(ProfileStore& profile, Process& process)
    : profile_(profile), path_(AddBackslash(process.ProgramFolder()) + L"Brisa.ini") {}

std::wstring Settings::Text(Section section, Key key) const {
    return profile_.Read(SectionName(section), KeyName(key), kValueBufferSize, path_);
}

int16_t Settings::Number(Section section, Key key) const {
    return RoundToInt16(ReadNumber(Text(section, key)));
}

FolderChoice Settings::Choice(Section section) const {
    return {Number(section, Key::Use),        Text(section, Key::Location),
            Number(section, Key::Attributes), Number(section, Key::ReadOnly),
            Number(section, Key::Hidden),     Number(section, Key::System),
            Number(section, Key::Archive)};
}

SilentSettings Settings::Silent() const {
    const FolderChoice choice = Choice(Section::Silent);
    // A value of the buffer's full length may have been cut: a second read
    // with room for one character more tells.
    const bool tooLong = choice.location.size() == kMaxSettingLength &&
                         profile_.Read(SectionName(Section::Silent), KeyName(Key::Location),
                                       kValueBufferSize + 1, path_)
                                 .size() > kMaxSettingLength;
    return {choice,
            tooLong,
            Number(Section::Silent, Key::Force),
            ReadNumber(Text(Section::Silent, Key::Attributes)) != 0,
            Number(Section::Silent, Key::Engine),
            Number(Section::Silent, Key::Verify),
            Number(Section::Silent, Key::Quiet),
            Text(Section::Silent, Key::Log)};
}

// In the order of kSettingsKeys; only section Silent has Force.
bool Settings::Save(Section section, const FolderChoice& choice, const int* force) const {
    auto write = [&](Key key, const std::wstring& value) {
        return profile_.Write(SectionName(section), KeyName(key), value, path_);
    };
    auto number = [&](Key key, int value) { return write(key, std::to_wstring(value)); };
    return number(Key::Use, choice.use) &&
           (choice.use == 0 ||
            (write(Key::Location, choice.location) && (!force || number(Key::Force, *force)) &&
             number(Key::Attributes, choice.attributes) && number(Key::ReadOnly, choice.readOnly) &&
             number(Key::Hidden, choice.hidden) && number(Key::System, choice.system) &&
             number(Key::Archive, choice.archive)));
}

double ReadNumber(std::wstring_view text) {
    std::string number;  // the accepted characters, in ASCII
    size_t i = text.find_first_not_of(L" \t");
    i = i == std::wstring_view::npos ? text.size() : i;
    auto take = [&](size_t from, auto accepts) {
        size_t j = from;
        while (j < text.size() && accepts(text[j])) {
            ++j;
        }
        return j;
    };
    auto digit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    const size_t sign = take(i, [](wchar_t c) { return c == L'+' || c == L'-'; });
    const size_t start = sign > i + 1 ? i + 1 : sign;  // one sign at most
    size_t end = take(start, digit);
    size_t digits = end - start;
    if (end < text.size() && text[end] == L'.') {
        const size_t fractionEnd = take(end + 1, digit);
        digits += fractionEnd - end - 1;
        end = digits > 0 ? fractionEnd : end;
    }
    if (digits == 0 || sign > i + 1) {
        return 0.0;
    }
    // An exponent counts only when at least one digit follows its letter.
    if (end < text.size() && (text[end] == L'e' || text[end] == L'E')) {
        const size_t first = take(end + 1, [](wchar_t c) { return c == L'+' || c == L'-'; });
        const size_t exponentEnd = first <= end + 2 ? take(first, digit) : first;
        end = exponentEnd > first ? exponentEnd : end;
    }
    for (size_t k = i; k < end; ++k) {
        number += static_cast<char>(text[k]);
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

}  // namespace larkspur
