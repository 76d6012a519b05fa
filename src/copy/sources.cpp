// Argument splitting.
//
// The shell hands the program the sent items as one string: paths separated
// by single spaces, a path that holds spaces enclosed in double quotes. The
// string is cut at every space first; SplitArgs then glues the pieces of
// each quoted path back together with exactly one space per cut, so runs of
// spaces inside a quoted path survive. The re-joined text ends up in the
// last piece the quoted path spans, which is where the rest of the program
// looks for it.
//
// A command line not made by the shell can break those rules. Such input
// is given a defined reading here instead of walking off the end of the
// pieces: a quoted path without a space ("C:\a.txt") is one path without its
// quotes, a quote that is never closed takes the rest of the string as its
// path, and the empty piece of a doubled space outside quotes names nothing.
#include "copy/sources.h"

#include <utility>

#include "paths/paths.h"

namespace larkspur {

std::wstring ArgumentString(const std::wstring& commandLine) {
    size_t end;
    if (!commandLine.empty() && commandLine.front() == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        end = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        end = commandLine.find_first_of(L" \t");
        if (end == std::wstring::npos) {
            end = commandLine.size();
        }
    }
    if (end < commandLine.size() && (commandLine[end] == L' ' || commandLine[end] == L'\t')) {
        ++end;
    }
    return commandLine.substr(end);
}

std::vector<std::wstring> SplitAtSpaces(const std::wstring& text) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (;;) {
        const size_t space = text.find(L' ', start);
        if (space == std::wstring::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, space - start));
        start = space + 1;
    }
}

SentItems SplitArgs(std::vector<std::wstring> tokens, FileSystem& fs) {
    SentItems items;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].empty() && tokens[i].front() == L'"') {
            if (tokens[i].size() >= 2 && tokens[i].back() == L'"') {
                // Both quotes in one piece: a quoted path without a space.
                tokens[i] = tokens[i].substr(1, tokens[i].size() - 2);
            } else if (i + 1 == tokens.size()) {
                // An opening quote on the last piece, never closed.
                tokens[i].erase(0, 1);
            } else {
                ++i;
                tokens[i] = tokens[i - 1].substr(1) + L' ' + tokens[i];
                while ((tokens[i].empty() || tokens[i].back() != L'"') && i + 1 < tokens.size()) {
                    ++i;
                    tokens[i] = tokens[i - 1] + L' ' + tokens[i];
                }
                if (!tokens[i].empty() && tokens[i].back() == L'"') {
                    tokens[i].pop_back();
                }
            }
        }
        if (tokens[i].empty()) {
            continue;  // an extra space outside quotes, or ""
        }
        const uint32_t attributes = fs.Attributes(tokens[i]);
        if (attributes == kInvalidAttributes) {
            items.missing.push_back(std::move(tokens[i]));
        } else if (attributes & kAttrDirectory) {
            items.folders.push_back(std::move(tokens[i]));
        } else {
            items.files.push_back(std::move(tokens[i]));
        }
    }
    return items;
}

namespace {

// A sent file as a source: its folder in the long form the walk uses, so
// that files from the command line and from the walk compare alike, and its
// stored name, under which it lands in the output folder (the shell may send
// short or relative names).
SourceFile SentFile(FileSystem& fs, const std::wstring& path) {
    const std::wstring full = fs.FullPath(path);
    const size_t nameStart = NameStart(full);
    std::wstring folder = LongFolder(fs, full.substr(0, nameStart));
    if (folder.empty()) {
        folder = full.substr(0, nameStart);
    }
    std::wstring name = fs.StoredName(full);
    if (name.empty()) {
        name = full.substr(nameStart);
    }
    const size_t rootLength = folder.size();
    return {std::move(folder) + name, rootLength};
}

}  // namespace

Sources CollectSources(Platform& p, const std::wstring& arguments,
                       const std::wstring& outputFolder) {
    std::vector<std::wstring> pieces = SplitAtSpaces(arguments);
    p.ui.YieldToWindowSystem();
    SentItems items = SplitArgs(std::move(pieces), p.fs);
    p.ui.YieldToWindowSystem();
    Sources sources;
    sources.missing = std::move(items.missing);
    for (const std::wstring& file : items.files) {
        sources.files.push_back(SentFile(p.fs, file));
    }
    const std::wstring output =
        outputFolder.empty() ? outputFolder : LongFolder(p.fs, outputFolder);
    for (const std::wstring& folder : items.folders) {
        CollectFiles(p, folder, output, sources);
    }
    return sources;
}

}  // namespace larkspur
