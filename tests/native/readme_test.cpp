// README.md against the sources: every settings key the program reads or
// writes is in the settings tables under its section, and every code of the
// ExitCode enum (src/run/run_state.h) is in the exit-code table.
//
// The keys are not listed here: they are found by following every call of
// ReadIni, ReadIniInt16 and WriteIni under src/ back to literal text. A
// section or key argument may be
// - a wide string literal: L"Use";
// - kAttributeKeys[...]: the four keys in src/settings/ini.h;
// - a name given one wide string literal in its file: kSection = L"Silent";
// - a parameter of the function or named lambda around the call: then every
//   call of that function (anywhere under src/) or lambda (in its scope)
//   gives the argument, followed back the same way, the section and the key
//   of one call together.
// Anything else is an error, and so are a use of the three functions other
// than a call and settings access around them (profile.Read or
// profile.Write outside src/settings/ini.cpp, the Win32 profile functions
// outside src/platform/win32/win32_profile.cpp): a new call cannot slip past.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#ifndef LARKSPUR_SOURCE_DIR
#error "LARKSPUR_SOURCE_DIR, the source tree, comes from tests/CMakeLists.txt"
#endif

namespace larkspur::testing {
namespace {

constexpr size_t npos = std::string::npos;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// --- C++ source as tokens ----------------------------------------------------

enum class Kind { Ident, String, Number, Punct };

struct Token {
    Kind kind;
    std::string text;   // the identifier, number or punctuation; a string's prefix (L, u8R, ...)
    std::string value;  // a string's contents, escapes as written
    int line;
};

bool IdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool IdentChar(char c) {
    return IdentStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

struct Source {
    std::string path;  // relative to the source tree
    std::vector<Token> tokens;
    std::vector<size_t> match;   // a bracket's partner, npos for other tokens
    std::vector<size_t> parent;  // the innermost '{' around a token, npos at file level
    std::vector<std::string> errors;

    Source(std::string name, const std::string& s) : path(std::move(name)) {
        int line = 1;
        size_t i = 0;
        auto skipQuoted = [&](size_t from, char quote) {  // from: the opening quote
            size_t j = from + 1;
            while (j < s.size() && s[j] != quote && s[j] != '\n') {
                j += s[j] == '\\' ? 2 : 1;
            }
            return std::min(j, s.size());
        };
        while (i < s.size()) {
            const char c = s[i];
            const size_t start = i;
            if (c == '\n') {
                ++line;
                ++i;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
            } else if (s.compare(i, 2, "//") == 0) {
                i = std::min(s.find('\n', i), s.size());
            } else if (s.compare(i, 2, "/*") == 0) {
                const size_t end = s.find("*/", i + 2);
                i = end == npos ? s.size() : end + 2;
                line += static_cast<int>(std::count(s.begin() + start, s.begin() + i, '\n'));
            } else if (IdentStart(c)) {
                while (i < s.size() && IdentChar(s[i])) {
                    ++i;
                }
                const std::string word = s.substr(start, i - start);
                const bool prefix = word == "L" || word == "u8" || word == "u" || word == "U";
                const bool rawPrefix =
                    word == "R" || word == "LR" || word == "u8R" || word == "uR" || word == "UR";
                if (i < s.size() && s[i] == '"' && rawPrefix) {
                    const size_t open = s.find('(', i);
                    const std::string delimiter =
                        ")" + s.substr(i + 1, open == npos ? 0 : open - i - 1) + "\"";
                    const size_t end = open == npos ? npos : s.find(delimiter, open);
                    const size_t stop = end == npos ? s.size() : end + delimiter.size();
                    tokens.push_back(
                        {Kind::String, word,
                         end == npos ? std::string() : s.substr(open + 1, end - open - 1), line});
                    line += static_cast<int>(std::count(s.begin() + i, s.begin() + stop, '\n'));
                    i = stop;
                } else if (i < s.size() && s[i] == '"' && prefix) {
                    const size_t end = skipQuoted(i, '"');
                    tokens.push_back({Kind::String, word, s.substr(i + 1, end - i - 1), line});
                    i = end + 1;
                } else if (i < s.size() && s[i] == '\'' && prefix) {
                    i = skipQuoted(i, '\'') + 1;
                    tokens.push_back({Kind::Number, s.substr(start, i - start), "", line});
                } else {
                    tokens.push_back({Kind::Ident, word, "", line});
                }
            } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                       (c == '.' && i + 1 < s.size() &&
                        std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
                // A pp-number: digit separators and exponent signs included.
                while (i < s.size() &&
                       (IdentChar(s[i]) || s[i] == '.' || s[i] == '\'' ||
                        ((s[i] == '+' || s[i] == '-') && std::strchr("eEpP", s[i - 1])))) {
                    ++i;
                }
                tokens.push_back({Kind::Number, s.substr(start, i - start), "", line});
            } else if (c == '"') {
                const size_t end = skipQuoted(i, '"');
                tokens.push_back({Kind::String, "", s.substr(i + 1, end - i - 1), line});
                i = end + 1;
            } else if (c == '\'') {
                i = skipQuoted(i, '\'') + 1;
                tokens.push_back({Kind::Number, s.substr(start, i - start), "", line});
            } else {
                const bool two = s.compare(i, 2, "::") == 0 || s.compare(i, 2, "->") == 0;
                i += two ? 2 : 1;
                tokens.push_back({Kind::Punct, s.substr(start, i - start), "", line});
            }
        }
        // Brackets and blocks.
        match.assign(tokens.size(), npos);
        parent.assign(tokens.size(), npos);
        std::vector<size_t> open, blocks;
        for (size_t t = 0; t < tokens.size(); ++t) {
            const std::string& x = tokens[t].kind == Kind::Punct ? tokens[t].text : "";
            if (x == "}" && !blocks.empty()) {
                blocks.pop_back();
            }
            parent[t] = blocks.empty() ? npos : blocks.back();
            if (x == "(" || x == "[" || x == "{") {
                open.push_back(t);
                if (x == "{") {
                    blocks.push_back(t);
                }
            } else if (x == ")" || x == "]" || x == "}") {
                const char opener = x == ")" ? '(' : x == "]" ? '[' : '{';
                if (open.empty() || tokens[open.back()].text[0] != opener) {
                    errors.push_back(path + ":" + std::to_string(tokens[t].line) + ": unbalanced " +
                                     x);
                    return;
                }
                match[t] = open.back();
                match[open.back()] = t;
                open.pop_back();
            }
        }
        if (!open.empty()) {
            errors.push_back(path + ": unclosed bracket at line " +
                             std::to_string(tokens[open.back()].line));
        }
    }

    bool Is(size_t t, const char* text) const {
        return t < tokens.size() && tokens[t].kind != Kind::String && tokens[t].text == text;
    }
    bool IsIdent(size_t t) const { return t < tokens.size() && tokens[t].kind == Kind::Ident; }
    std::string Where(size_t t) const {
        return path + ":" + std::to_string(t < tokens.size() ? tokens[t].line : 0);
    }
    std::string Text(size_t begin, size_t end) const {
        std::string text;
        for (size_t t = begin; t < end; ++t) {
            text += (t > begin ? " " : "") + (tokens[t].kind == Kind::String
                                                  ? tokens[t].text + "\"" + tokens[t].value + "\""
                                                  : tokens[t].text);
        }
        return text;
    }
    // The arguments of the call or parameter list that opens at token open,
    // as token ranges; split at the commas outside inner brackets.
    std::vector<std::pair<size_t, size_t>> Args(size_t open) const {
        std::vector<std::pair<size_t, size_t>> args;
        const size_t close = match[open];
        size_t begin = open + 1;
        for (size_t t = open + 1; t < close; ++t) {
            if (Is(t, "(") || Is(t, "[") || Is(t, "{")) {
                t = match[t];
            } else if (Is(t, ",")) {
                args.emplace_back(begin, t);
                begin = t + 1;
            }
        }
        if (begin < close || !args.empty()) {
            args.emplace_back(begin, close);
        }
        return args;
    }
    // Whether a range reads as a parameter declaration, "const wchar_t* key".
    bool IsDeclaration(std::pair<size_t, size_t> range) const {
        size_t end = range.first;
        while (end < range.second && !Is(end, "=")) {
            ++end;
        }
        int names = 0;
        for (size_t t = range.first; t < end; ++t) {
            if (IsIdent(t)) {
                ++names;
            } else if (!(Is(t, "::") || Is(t, "*") || Is(t, "&") || Is(t, "<") || Is(t, ">") ||
                         Is(t, ","))) {
                return false;
            }
        }
        return names >= 2 && IsIdent(end - 1);
    }
    // A function declaration or definition rather than a call: every
    // argument a parameter declaration.
    bool IsDeclarationList(size_t open) const {
        const auto args = Args(open);
        return !args.empty() && std::all_of(args.begin(), args.end(),
                                            [&](const auto& a) { return IsDeclaration(a); });
    }
};

// --- Following the settings calls back to text -------------------------------

// A function or named lambda whose body holds a token, and the index of one
// of its parameters.
struct Callable {
    const Source* source;
    std::string name;  // empty: a lambda without a name
    size_t nameToken;  // the name in the header
    size_t scope;      // a lambda's: the block it is defined in (npos: the file)
    bool lambda;
    size_t parameter;
};

const std::set<std::string> kNotFunctions = {"if",     "for",    "while",    "switch", "catch",
                                             "return", "sizeof", "decltype", "alignof"};

// The innermost function or lambda around token at that has a parameter
// called name.
std::optional<Callable> EnclosingWithParameter(const Source& s, size_t at,
                                               const std::string& name) {
    for (size_t b = s.parent[at]; b != npos; b = s.parent[b]) {
        // Back from the '{' over "const", "override", "-> type" and the like
        // to the parameter list's ')'.
        size_t t = b;
        while (t > 0 &&
               (s.IsIdent(t - 1) || s.Is(t - 1, "::") || s.Is(t - 1, "<") || s.Is(t - 1, ">") ||
                s.Is(t - 1, "*") || s.Is(t - 1, "&") || s.Is(t - 1, "->"))) {
            --t;
        }
        if (t == 0 || !s.Is(t - 1, ")")) {
            continue;
        }
        const size_t open = s.match[t - 1];
        if (open == 0) {
            continue;
        }
        Callable c{&s, "", npos, npos, false, npos};
        if (s.Is(open - 1, "]")) {
            c.lambda = true;
            const size_t capture = s.match[open - 1];
            if (capture >= 2 && s.Is(capture - 1, "=") && s.IsIdent(capture - 2)) {
                c.name = s.tokens[capture - 2].text;
                c.nameToken = capture - 2;
                c.scope = s.parent[capture];
            }
        } else if (s.IsIdent(open - 1) && !kNotFunctions.count(s.tokens[open - 1].text)) {
            c.name = s.tokens[open - 1].text;
            c.nameToken = open - 1;
        } else {
            continue;
        }
        const auto parameters = s.Args(open);
        for (size_t i = 0; i < parameters.size(); ++i) {
            size_t end = parameters[i].first;
            while (end < parameters[i].second && !s.Is(end, "=")) {
                ++end;
            }
            if (end > parameters[i].first && s.IsIdent(end - 1) && s.tokens[end - 1].text == name) {
                c.parameter = i;
                return c;
            }
        }
    }
    return std::nullopt;
}

struct KeyUse {
    std::string section, key, where;
};

class KeyScan {
  public:
    KeyScan(const std::vector<Source>& sources, std::vector<std::string> attributeKeys)
        : sources_(sources), attributeKeys_(std::move(attributeKeys)) {}

    // Every (section, key) of every call, and what could not be followed.
    void Run() {
        const std::set<std::string> api = {"ReadIni", "ReadIniInt16", "WriteIni"};
        for (const Source& s : sources_) {
            errors.insert(errors.end(), s.errors.begin(), s.errors.end());
            if (!s.errors.empty()) {
                continue;
            }
            for (size_t t = 0; t < s.tokens.size(); ++t) {
                if (!s.IsIdent(t)) {
                    continue;
                }
                const std::string& word = s.tokens[t].text;
                if (word.find("PrivateProfile") != npos &&
                    s.path != "src/platform/win32/win32_profile.cpp") {
                    errors.push_back(s.Where(t) + ": " + word + " around ReadIni and WriteIni");
                }
                if (word == "profile" && (s.Is(t + 1, ".") || s.Is(t + 1, "->")) &&
                    (s.Is(t + 2, "Read") || s.Is(t + 2, "Write")) &&
                    s.path != "src/settings/ini.cpp") {
                    errors.push_back(s.Where(t) + ": profile." + s.tokens[t + 2].text +
                                     " around ReadIni and WriteIni");
                }
                if (!api.count(word)) {
                    continue;
                }
                if (!s.Is(t + 1, "(")) {
                    errors.push_back(s.Where(t) + ": " + word + " used other than in a call");
                    continue;
                }
                if (s.IsDeclarationList(t + 1)) {
                    continue;
                }
                const auto args = s.Args(t + 1);
                if (args.size() < 3) {
                    errors.push_back(s.Where(t) + ": " + word + " without section and key");
                    continue;
                }
                ++calls;
                const std::string where = s.Where(t);
                for (const auto& found : Resolve({Ref{&s, args[1].first, args[1].second, {}},
                                                  Ref{&s, args[2].first, args[2].second, {}}},
                                                 0, where)) {
                    uses.push_back({found[0], found[1], found[2]});
                }
            }
        }
    }

    std::vector<KeyUse> uses;
    std::vector<std::string> errors;
    int calls = 0;

  private:
    // One argument: an expression in a source, or the values it was found to have.
    struct Ref {
        const Source* source;  // null once values holds the answer
        size_t begin, end;
        std::set<std::string> values;
    };

    // The values of the expressions in refs, taken together: one tuple per
    // combination a run can pass, followed by where it comes from (the call,
    // and the calls that passed its arguments on).
    std::set<std::vector<std::string>> Resolve(std::vector<Ref> refs, int depth,
                                               const std::string& where) {
        if (depth > 10) {
            errors.push_back(where + ": the arguments are passed on too many times to follow");
            return {};
        }
        std::optional<Callable> via;
        std::vector<std::pair<size_t, size_t>> forwarded;  // (ref, parameter of via)
        for (size_t i = 0; i < refs.size(); ++i) {
            Ref& r = refs[i];
            if (!r.source) {
                continue;
            }
            const Source& s = *r.source;
            const std::string text = s.Text(r.begin, r.end);
            const size_t n = r.end - r.begin;
            if (n == 1 && s.tokens[r.begin].kind == Kind::String && s.tokens[r.begin].text == "L") {
                r.values = {s.tokens[r.begin].value};
            } else if (n >= 3 && s.Is(r.begin, "kAttributeKeys") && s.Is(r.begin + 1, "[") &&
                       s.match[r.begin + 1] == r.end - 1) {
                r.values.insert(attributeKeys_.begin(), attributeKeys_.end());
            } else if (n == 1 && s.IsIdent(r.begin)) {
                const std::string& name = s.tokens[r.begin].text;
                if (auto c = EnclosingWithParameter(s, r.begin, name)) {
                    if (c->name.empty()) {
                        errors.push_back(s.Where(r.begin) + ": `" + name +
                                         "` is a parameter of a lambda without a name (" + where +
                                         ")");
                        return {};
                    }
                    if (!via || (via->source == c->source && via->nameToken == c->nameToken)) {
                        via = c;
                        forwarded.emplace_back(i, c->parameter);
                    }
                    continue;  // a parameter of another callable: in a later round
                }
                std::set<std::string> constants;
                for (size_t t = 0; t + 3 < s.tokens.size(); ++t) {
                    if (s.IsIdent(t) && s.tokens[t].text == name && s.Is(t + 1, "=") &&
                        s.tokens[t + 2].kind == Kind::String && s.tokens[t + 2].text == "L" &&
                        (s.Is(t + 3, ";") || s.Is(t + 3, ","))) {
                        constants.insert(s.tokens[t + 2].value);
                    }
                }
                if (constants.size() != 1) {
                    errors.push_back(s.Where(r.begin) + ": cannot tell the text of `" + name +
                                     "` (" + where + ")");
                    return {};
                }
                r.values = constants;
            } else {
                errors.push_back(s.Where(r.begin) + ": cannot read the argument `" + text + "` (" +
                                 where + ")");
                return {};
            }
            r.source = nullptr;
        }
        if (!via) {
            std::set<std::vector<std::string>> all{{}};
            for (const Ref& r : refs) {
                std::set<std::vector<std::string>> longer;
                for (const auto& prefix : all) {
                    for (const std::string& value : r.values) {
                        auto tuple = prefix;
                        tuple.push_back(value);
                        longer.insert(tuple);
                    }
                }
                all = longer;
            }
            std::set<std::vector<std::string>> placed;
            for (auto tuple : all) {
                tuple.push_back(where);
                placed.insert(tuple);
            }
            return placed;
        }
        // Every call of via: the forwarded arguments become that call's.
        std::set<std::vector<std::string>> out;
        const auto calls = CallsOf(*via, where);
        if (calls.empty()) {
            errors.push_back(via->source->Where(via->nameToken) + ": `" + via->name +
                             "` passes a section or key on but is never called (" + where + ")");
        }
        for (const auto& [source, open] : calls) {
            const auto args = source->Args(open);
            std::vector<Ref> next = refs;
            for (const auto& [i, parameter] : forwarded) {
                if (parameter >= args.size()) {
                    errors.push_back(source->Where(open) + ": a call of `" + via->name +
                                     "` without the argument that is passed on");
                    return {};
                }
                next[i] = Ref{source, args[parameter].first, args[parameter].second, {}};
            }
            out.merge(Resolve(next, depth + 1, where + " <- " + source->Where(open)));
        }
        return out;
    }

    // The calls of a callable, as (source, its '(' token).
    std::vector<std::pair<const Source*, size_t>> CallsOf(const Callable& c,
                                                          const std::string& where) {
        std::vector<std::pair<const Source*, size_t>> calls;
        if (c.lambda) {
            const Source& s = *c.source;
            const size_t end = c.scope == npos ? s.tokens.size() : s.match[c.scope];
            for (size_t t = c.nameToken + 1; t < end; ++t) {
                if (!s.IsIdent(t) || s.tokens[t].text != c.name) {
                    continue;
                }
                if (s.Is(t + 1, "(")) {
                    calls.emplace_back(&s, t + 1);
                } else {
                    errors.push_back(s.Where(t) + ": the lambda `" + c.name +
                                     "` is used other than called (" + where + ")");
                }
            }
            return calls;
        }
        for (const Source& s : sources_) {
            for (size_t t = 0; t + 1 < s.tokens.size(); ++t) {
                if (s.IsIdent(t) && s.tokens[t].text == c.name && s.Is(t + 1, "(") &&
                    !(&s == c.source && t == c.nameToken) && !s.IsDeclarationList(t + 1)) {
                    calls.emplace_back(&s, t + 1);
                }
            }
        }
        return calls;
    }

    const std::vector<Source>& sources_;
    std::vector<std::string> attributeKeys_;
};

// The wide strings of `name = { L"...", ... }` in a source.
std::vector<std::string> ListOf(const Source& s, const std::string& name) {
    std::vector<std::string> values;
    for (size_t t = 0; t + 2 < s.tokens.size(); ++t) {
        if (s.Is(t, name.c_str()) && s.Is(t + 1, "=") && s.Is(t + 2, "{")) {
            for (size_t v = t + 3; v < s.match[t + 2]; ++v) {
                if (s.tokens[v].kind == Kind::String) {
                    values.push_back(s.tokens[v].value);
                }
            }
        }
    }
    return values;
}

// Every source file under src/.
std::vector<Source> ProgramSources() {
    const std::filesystem::path root = LARKSPUR_SOURCE_DIR;
    std::vector<Source> sources;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root / "src")) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".cpp" || ext == ".h")) {
            sources.emplace_back(entry.path().lexically_relative(root).generic_string(),
                                 ReadFile(entry.path()));
        }
    }
    std::sort(sources.begin(), sources.end(),
              [](const Source& a, const Source& b) { return a.path < b.path; });
    return sources;
}

const Source* Find(const std::vector<Source>& sources, const std::string& path) {
    for (const Source& s : sources) {
        if (s.path == path) {
            return &s;
        }
    }
    return nullptr;
}

// --- README.md ------------------------------------------------------------------

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// The first cells of the first table after line `from`, before the next
// heading.
std::vector<std::string> FirstCells(const std::vector<std::string>& lines, size_t from) {
    std::vector<std::string> cells;
    size_t i = from + 1;
    while (i < lines.size() && lines[i].rfind("|", 0) != 0 && lines[i].rfind("#", 0) != 0) {
        ++i;
    }
    for (; i < lines.size() && lines[i].rfind("|", 0) == 0; ++i) {
        const size_t end = lines[i].find('|', 1);
        cells.push_back(lines[i].substr(1, end == npos ? npos : end - 1));
    }
    return cells;
}

// Section name -> the keys its table names in `code` in the first column.
std::map<std::string, std::set<std::string>> ReadmeSettings(const std::vector<std::string>& lines) {
    std::map<std::string, std::set<std::string>> sections;
    const std::string marker = "Section `[";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(marker, 0) != 0) {
            continue;
        }
        const size_t end = lines[i].find("]`", marker.size());
        std::set<std::string>& keys = sections[lines[i].substr(marker.size(), end - marker.size())];
        for (const std::string& cell : FirstCells(lines, i)) {
            for (size_t open = cell.find('`'); open != npos; open = cell.find('`', open)) {
                const size_t close = cell.find('`', open + 1);
                if (close == npos) {
                    break;
                }
                keys.insert(cell.substr(open + 1, close - open - 1));
                open = close + 1;
            }
        }
    }
    return sections;
}

std::set<int> ReadmeExitCodes(const std::vector<std::string>& lines) {
    std::set<int> codes;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string lower = lines[i];
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower.rfind("#", 0) != 0 || lower.find("exit code") == npos) {
            continue;
        }
        for (std::string cell : FirstCells(lines, i)) {
            std::erase_if(cell, [](char c) { return c == ' ' || c == '`'; });
            const size_t digits = cell.rfind('-', 0) == 0 ? 1 : 0;
            if (cell.size() > digits && std::all_of(cell.begin() + digits, cell.end(), [](char c) {
                    return std::isdigit(static_cast<unsigned char>(c));
                })) {
                codes.insert(std::stoi(cell));
            }
        }
    }
    return codes;
}

// The enumerators of `enum ExitCode`, with their values.
std::map<std::string, int> ExitCodes(const Source& s) {
    std::map<std::string, int> codes;
    for (size_t t = 0; t + 1 < s.tokens.size(); ++t) {
        if (!s.Is(t, "enum")) {
            continue;
        }
        size_t open = t + 1;
        bool named = false;
        while (open < s.tokens.size() && !s.Is(open, "{") && !s.Is(open, ";")) {
            named = named || s.Is(open, "ExitCode");
            ++open;
        }
        if (!named || !s.Is(open, "{")) {
            continue;
        }
        int next = 0;
        for (const auto& [begin, end] : s.Args(open)) {
            if (begin == end) {
                continue;  // after a trailing comma
            }
            int value = next;
            if (end - begin >= 3 && s.Is(begin + 1, "=")) {
                const bool minus = s.Is(begin + 2, "-");
                const size_t number = begin + 2 + (minus ? 1 : 0);
                if (end != number + 1 || s.tokens[number].kind != Kind::Number) {
                    ADD_FAILURE() << s.Where(begin)
                                  << ": not a plain number: " << s.Text(begin, end);
                    continue;
                }
                value = std::stoi(s.tokens[number].text, nullptr, 0);
                value = minus ? -value : value;
            }
            codes[s.tokens[begin].text] = value;
            next = value + 1;
        }
    }
    return codes;
}

// --- The tests -------------------------------------------------------------------

TEST(Readme, NamesEverySettingsKeyUnderItsSection) {
    const std::vector<Source> sources = ProgramSources();
    const Source* ini = Find(sources, "src/settings/ini.h");
    ASSERT_NE(ini, nullptr);
    const std::vector<std::string> attributeKeys = ListOf(*ini, "kAttributeKeys");
    EXPECT_EQ(attributeKeys.size(), 4u) << "kAttributeKeys in src/settings/ini.h";
    KeyScan scan(sources, attributeKeys);
    scan.Run();
    for (const std::string& error : scan.errors) {
        ADD_FAILURE() << error;
    }
    EXPECT_GE(scan.calls, 10) << "the settings calls were not found";

    const auto readme = ReadmeSettings(Lines(ReadFile(LARKSPUR_SOURCE_DIR "/README.md")));
    std::set<std::string> sections;
    std::map<std::pair<std::string, std::string>, std::string> missing;  // -> where used
    for (const KeyUse& use : scan.uses) {
        sections.insert(use.section);
        const auto table = readme.find(use.section);
        if (table == readme.end() || !table->second.count(use.key)) {
            missing[{use.section, use.key}] += "\n  " + use.where;
        }
    }
    for (const auto& [key, where] : missing) {
        ADD_FAILURE() << "README.md's settings tables lack `" << key.second << "` in section ["
                      << key.first << "], used at (a <- b: a's argument comes from call b)"
                      << where;
    }
    EXPECT_EQ(sections, (std::set<std::string>{"Setting", "Silent"}));
}

TEST(Readme, NamesEveryExitCode) {
    const std::vector<Source> sources = ProgramSources();
    const Source* runState = Find(sources, "src/run/run_state.h");
    ASSERT_NE(runState, nullptr);
    const std::map<std::string, int> codes = ExitCodes(*runState);
    EXPECT_GE(codes.size(), 2u) << "enum ExitCode in src/run/run_state.h";
    const std::set<int> readme = ReadmeExitCodes(Lines(ReadFile(LARKSPUR_SOURCE_DIR "/README.md")));
    for (const auto& [name, value] : codes) {
        EXPECT_TRUE(readme.count(value))
            << "README.md's exit-code table lacks " << value << " (" << name << ")";
    }
}

// The scan itself, on made-up sources.
std::vector<KeyUse> Scan(const std::string& code, std::vector<std::string>* errors,
                         const std::string& path = "src/ui/made_up.cpp") {
    const std::vector<Source> sources{Source(path, code)};
    KeyScan scan(sources, {"ReadOnly", "Hidden"});
    scan.Run();
    *errors = scan.errors;
    return scan.uses;
}

std::set<std::string> Pairs(const std::vector<KeyUse>& uses) {
    std::set<std::string> pairs;
    for (const KeyUse& use : uses) {
        pairs.insert(use.section + "/" + use.key);
    }
    return pairs;
}

TEST(SettingsKeyScan, FollowsConstantsWrappersAndParametersWithSectionAndKeyTogether) {
    std::vector<std::string> errors;
    const auto uses = Scan(R"src(
        namespace { constexpr const wchar_t* kSection = L"Silent"; }
        // ReadIni(p, L"Comment", L"Ignored");
        void Form::Load(Platform& p, const wchar_t* section) {
            auto read = [&](const wchar_t* key) { return ReadIniInt16(p, section, key); };
            read(L"Use");
            for (int i = 0; i < 4; ++i) {
                read(kAttributeKeys[i]);
            }
        }
        void Form::Both(Platform& p) {
            Load(p, L"Setting");
            Load(p, kSection);
            const std::wstring text = L"ReadIni(p, L\"Text\", L\"Ignored\")";
        }
        bool Pair(Platform& p, const std::wstring& s, const std::wstring& k, int v = 0) {
            return WriteIni(p, s, k, std::to_wstring(v));
        }
        void Pairs(Platform& p) {
            Pair(p, L"Silent", L"Force");
            Pair(p, L"Setting", L"Location", 1);
        }
    )src",
                           &errors);
    EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
    EXPECT_EQ(Pairs(uses),
              (std::set<std::string>{"Setting/Use", "Setting/ReadOnly", "Setting/Hidden",
                                     "Silent/Use", "Silent/ReadOnly", "Silent/Hidden",
                                     "Silent/Force", "Setting/Location"}));
}

TEST(SettingsKeyScan, RefusesWhatItCannotFollowBackToText) {
    struct Case {
        const char* name;
        std::string code;
        std::string path = "src/ui/made_up.cpp";
    };
    const Case cases[] = {
        {"a computed key", "void F(Platform& p) { ReadIni(p, L\"Silent\", Key(1)); }"},
        {"a name without text", "void F(Platform& p) { ReadIni(p, L\"Silent\", kUnknown); }"},
        {"a name with two texts",
         "const wchar_t* a = L\"A\"; void F() { const wchar_t* a = L\"B\"; ReadIni(p, a, a); }"},
        {"a narrow literal", "void F(Platform& p) { ReadIni(p, \"Silent\", L\"Use\"); }"},
        {"a wrapper never called",
         "void F(Platform& p, const wchar_t* k) { WriteIni(p, L\"Silent\", k, L\"1\"); }"},
        {"a wrapper lambda passed on",
         "void F(Platform& p) { auto r = [&](const wchar_t* k) { return ReadIni(p, L\"Silent\", "
         "k); }; r(L\"Use\"); Each(r); }"},
        {"an unnamed lambda",
         "void F(Platform& p) { Each([&](const wchar_t* k) { ReadIni(p, L\"Silent\", k); }); }"},
        {"the function taken as a value", "auto read = &ReadIniInt16;"},
        {"the profile used directly",
         "void F(Platform& p) { p.profile.Read(L\"Silent\", L\"Use\", 9, L\"x\"); }"},
        {"the Win32 profile functions",
         "void F() { GetPrivateProfileStringW(L\"Silent\", L\"Use\", L\"\", b, 9, f); }"},
        {"unbalanced brackets", "void F(Platform& p) { ReadIni(p, L\"Silent\", L\"Use\"; }"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> errors;
        Scan(c.code, &errors, c.path);
        EXPECT_FALSE(errors.empty()) << c.name;
    }
}

}  // namespace
}  // namespace larkspur::testing
