// The settings number rule: ReadNumber and RoundToInt16 (src/settings/ini.h).
//
// The last input byte picks the mode: free text (every other byte one
// character: ASCII as is, the rest from a table of look-alikes such as
// full-width digits and odd blanks) or a plain decimal number assembled
// from the input (blanks, sign, digits, fraction, exponent, trailing junk).
// The next eight bytes from the end are also a double for RoundToInt16.
//
// Properties: the value is never NaN and is what an independent reading
// gives (the longest prefix of the grammar, found by a state machine, and
// std::from_chars on it); leading blanks and trailing junk change nothing;
// RoundToInt16 agrees with a floor-based halves-to-even rounding clamped to
// the 16-bit range.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "settings/ini.h"

namespace larkspur::fuzz {
namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Length of the longest prefix of text of the form
//   [ \t]* [+-]? ( D+ ( "." D* )? | "." D+ ) ( [eE] [+-]? D+ )?
// with D an ASCII digit, and where the number starts; 0 when no prefix is
// a number.
struct Accepted {
    size_t start = 0;
    size_t end = 0;  // end == start: nothing accepted
};

Accepted LongestNumber(const std::wstring& text) {
    enum State { kStart, kSign, kInt, kDotAfterInt, kDotAlone, kFrac, kE, kESign, kExp, kDead };
    Accepted result;
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) {
        ++i;
    }
    result.start = result.end = i;
    State s = kStart;
    for (; i < text.size() && s != kDead; ++i) {
        const wchar_t c = text[i];
        const bool d = IsDigit(c);
        switch (s) {
            case kStart:
                s = d ? kInt : c == L'+' || c == L'-' ? kSign : c == L'.' ? kDotAlone : kDead;
                break;
            case kSign:
                s = d ? kInt : c == L'.' ? kDotAlone : kDead;
                break;
            case kInt:
                s = d ? kInt : c == L'.' ? kDotAfterInt : c == L'e' || c == L'E' ? kE : kDead;
                break;
            case kDotAfterInt:
            case kFrac:
                s = d ? kFrac : c == L'e' || c == L'E' ? kE : kDead;
                break;
            case kDotAlone:
                s = d ? kFrac : kDead;
                break;
            case kE:
                s = d ? kExp : c == L'+' || c == L'-' ? kESign : kDead;
                break;
            case kESign:
            case kExp:
                s = d ? kExp : kDead;
                break;
            case kDead:
                break;
        }
        if (s == kInt || s == kDotAfterInt || s == kFrac || s == kExp) {
            result.end = i + 1;
        }
    }
    return result;
}

// What the accepted text means, read by std::from_chars. Out of range: an
// infinity for a number too large, a zero of the sign for one too small.
struct Reference {
    double value = 0;
    bool overflow = false;
    bool underflow = false;
};

Reference ReferenceValue(const std::wstring& text) {
    const Accepted a = LongestNumber(text);
    std::string number;
    for (size_t i = a.start; i < a.end; ++i) {
        number += static_cast<char>(text[i]);
    }
    Reference r;
    if (number.empty()) {
        return r;
    }
    const bool negative = number[0] == '-';
    if (number[0] == '+' || number[0] == '-') {
        number.erase(0, 1);  // from_chars takes no '+'; the sign goes on afterwards
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    FUZZ_CHECK(end == number.data() + number.size(), "from_chars stopped early in " + number);
    if (error == std::errc()) {
        r.value = negative ? -value : value;
        return r;
    }
    FUZZ_CHECK(error == std::errc::result_out_of_range, number);
    // Decimal exponent of the first significant digit decides the direction.
    const size_t e = number.find_first_of("eE");
    const std::string mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        size_t j = e + 1;
        const bool expNegative = number[j] == '-';
        if (number[j] == '+' || number[j] == '-') {
            ++j;
        }
        for (; j < number.size(); ++j) {
            exponent = std::min(exponent * 10 + (number[j] - '0'), 1LL << 40);
        }
        exponent = expNegative ? -exponent : exponent;
    }
    const size_t dot = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    FUZZ_CHECK(first != std::string::npos, "zero out of range: " + number);
    const long long position = first < dot ? static_cast<long long>(dot - first - 1)
                                           : -static_cast<long long>(first - dot);
    r.overflow = position + exponent > 0;
    r.underflow = !r.overflow;
    r.value = std::copysign(r.overflow ? HUGE_VAL : 0.0, negative ? -1.0 : 1.0);
    return r;
}

// Halves to even by hand, then clamped.
int16_t ReferenceRound(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    if (v <= -32768.0) {
        return -32768;
    }
    if (v >= 32767.0) {
        return 32767;
    }
    const double floor = std::floor(v);
    const double fraction = v - floor;  // exact in this range
    long r = static_cast<long>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && r % 2 != 0)) {
        ++r;
    }
    return static_cast<int16_t>(std::min(r, 32767L));
}

std::string ShowNumber(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

void CheckRounding(double v) {
    const int16_t rounded = RoundToInt16(v);
    FUZZ_CHECK(rounded == ReferenceRound(v), "RoundToInt16(" + ShowNumber(v) +
                                                 ") = " + std::to_string(rounded) + ", expected " +
                                                 std::to_string(ReferenceRound(v)));
}

bool Same(double a, double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

void CheckText(const std::wstring& text, wchar_t junk) {
    const double v = ReadNumber(text);
    const std::string context = "text " + Show(text) + " read as " + ShowNumber(v);
    FUZZ_CHECK(!std::isnan(v), context);

    const Reference ref = ReferenceValue(text);
    if (ref.underflow) {
        // The C library may give the nearest subnormal or zero.
        FUZZ_CHECK(
            !std::isnormal(v) && !std::isinf(v) && std::signbit(v) == std::signbit(ref.value),
            context + ", expected a tiny number");
    } else {
        FUZZ_CHECK(Same(v, ref.value), context + ", expected " + ShowNumber(ref.value));
    }
    CheckRounding(v);
    FUZZ_CHECK(RoundToInt16(v) >= -32768 && RoundToInt16(v) <= 32767, context);

    // Blanks in front and a character that cannot continue a number behind
    // change nothing; neither does cutting the text after the number.
    FUZZ_CHECK(Same(ReadNumber(L" \t " + text), v), context + " (blanks in front)");
    FUZZ_CHECK(Same(ReadNumber(text + junk), v), context + " (junk after)");
    const Accepted a = LongestNumber(text);
    FUZZ_CHECK(Same(ReadNumber(text.substr(a.start, a.end - a.start)), v),
               context + " (the number alone)");
    if (a.end == a.start) {
        FUZZ_CHECK(Same(v, 0.0), context + " (no number: 0)");
    }
}

// Characters that look like parts of a number but are not.
constexpr wchar_t kLookAlikes[] = {
    0xFF10, 0xFF11, 0xFF19,  // full-width digits
    0x0660, 0x0966,          // Arabic-Indic and Devanagari zeros
    0x00A0, 0x3000, 0x2009,  // non-breaking, ideographic and thin spaces
    0x2212, 0xFF0B, 0xFF0D,  // minus sign, full-width plus and minus
    0xFF0E, 0x00B7, 0x066B,  // full-width full stop, middle dot, Arabic decimal separator
    0xFF45, 0x0435, 0x212F,  // full-width e, Cyrillic e, script e
    0x221E,                  // infinity
};

wchar_t FreeChar(uint8_t b) {
    return b < 0x80 ? static_cast<wchar_t>(b)
                    : kLookAlikes[(b - 0x80) % (sizeof kLookAlikes / sizeof kLookAlikes[0])];
}

// A character that cannot continue a number (blanks included: one blank at
// the end only stretches the leading blanks of a text without a number).
wchar_t Junk(FuzzedDataProvider& data) {
    const wchar_t c = PickChar(data, std::wstring(L"x ,;#\t\0abE0", 11));
    return std::wstring_view(L"0123456789.eE+-").find(c) == std::wstring_view::npos ? c : L'x';
}

std::string Digits(FuzzedDataProvider& data, size_t max) {
    std::string digits(data.ConsumeIntegralInRange<size_t>(0, max), '0');
    for (char& c : digits) {
        c = static_cast<char>('0' + data.ConsumeIntegralInRange<int>(0, 9));
    }
    return digits;
}

// A plain decimal number with the surroundings the settings file may give
// it; checked against its own text, read by from_chars.
void CheckAssembledNumber(FuzzedDataProvider& data) {
    std::wstring text;
    for (int blanks = data.ConsumeIntegralInRange<int>(0, 3); blanks > 0; --blanks) {
        text += data.ConsumeBool() ? L' ' : L'\t';
    }
    const int sign = data.ConsumeIntegralInRange<int>(0, 2);  // none, +, -
    const std::string integer = Digits(data, 24);
    const bool dot = data.ConsumeBool();
    const std::string fraction = dot ? Digits(data, 24) : "";
    const bool hasExponent = data.ConsumeBool();
    const char letter = data.ConsumeBool() ? 'e' : 'E';
    const int expSign = data.ConsumeIntegralInRange<int>(0, 2);
    const std::string exponent = hasExponent ? Digits(data, 6) : "";
    wchar_t junk = Junk(data);
    const bool withJunk = data.ConsumeBool();

    std::string number = sign == 2 ? "-" : "";
    number += integer;
    if (dot) {
        number += "." + fraction;
    }
    std::string written = (sign == 1 ? "+" : "") + number;
    if (hasExponent) {
        written += letter;
        written += expSign == 0 ? "" : expSign == 1 ? "+" : "-";
        written += exponent;
        if (!exponent.empty()) {
            number += std::string("e") + (expSign == 2 ? "-" : "") + exponent;
        }
    }
    text.append(written.begin(), written.end());
    if (written.empty() && (junk == L' ' || junk == L'\t')) {
        junk = L'x';  // blanks only so far: a blank would still be leading
    }
    if (withJunk) {
        text += junk;
        text += FreeChar(data.ConsumeIntegral<uint8_t>());
    }

    const double v = ReadNumber(text);
    const bool isNumber = !integer.empty() || !fraction.empty();
    if (!isNumber) {
        FUZZ_CHECK(Same(v, 0.0),
                   "text " + Show(text) + " is no number but reads as " + ShowNumber(v));
    } else {
        double expected = 0;
        const char* digits = number.data() + (number[0] == '-');
        const auto [end, error] = std::from_chars(digits, number.data() + number.size(), expected);
        FUZZ_CHECK(end == number.data() + number.size(), number);
        if (error == std::errc()) {
            expected = number[0] == '-' ? -expected : expected;
            FUZZ_CHECK(Same(v, expected), "text " + Show(text) + " reads as " + ShowNumber(v) +
                                              ", expected " + ShowNumber(expected));
        }
    }
    CheckText(text, junk);
}

}  // namespace
}  // namespace larkspur::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    using namespace larkspur::fuzz;
    FuzzedDataProvider data(bytes, size);
    const bool assembled = data.ConsumeBool();
    const uint64_t bits = data.ConsumeIntegral<uint64_t>();
    double raw;
    std::memcpy(&raw, &bits, sizeof raw);
    CheckRounding(raw);  // any double, NaN and infinities included

    if (assembled) {
        CheckAssembledNumber(data);
        return 0;
    }
    const wchar_t junk = Junk(data);
    const std::string bytesLeft = data.ConsumeRemainingBytesAsString();
    std::wstring text;
    for (const char b : bytesLeft) {
        text += FreeChar(static_cast<uint8_t>(b));
    }
    CheckText(text, junk);
    return 0;
}
