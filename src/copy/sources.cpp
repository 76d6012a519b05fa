// Argument splitting.
//
// The shell hands the program the sent items as one string: paths separated
// by single spaces, a path that holds spaces enclosed in double quotes. A
// quoted path is taken exactly as it stands between its quotes, so runs of
// spaces and a trailing space inside it survive.
//
// A command line not made by the shell can break those rules. Such input
// is given a defined reading instead: a quoted path without a space
// ("C:\a.txt") is one path without its quotes, a quote that is never closed
// takes the rest of the string as its path, and the empty piece of a doubled
// space outside quotes names nothing.
#include "copy/sources.h"

#include <set>
#include <utility>

#include "copy/walk.h"
#include "paths/paths.h"

namespace larkspur {

std::vector<std::wstring> ArgumentPaths(const std::wstring& text) {
    std::vector<std::wstring> paths;
    for (size_t start = 0; start <= text.size();) {
        std::wstring path;
        if (start < text.size() && text[start] == L'"') {
            // The path ends at the first quote that ends a piece: one
            // followed by a space or by the end of the string.
            size_t close = start;
            do {
                close = text.find(L'"', close + 1);
            } while (close != std::wstring::npos && close + 1 < text.size() &&
                     text[close + 1] != L' ');
            close = close == std::wstring::npos ? text.size() : close;
            path = text.substr(start + 1, close - start - 1);
            start = close + 2;
        } else {
            size_t space = text.find(L' ', start);
            space = space == std::wstring::npos ? text.size() : space;
            path = text.substr(start, space - start);
            start = space + 1;
        }
        if (!path.empty()) {  // an extra space outside quotes, or "", names nothing
            paths.push_back(std::move(path));
        }
    }
    return paths;
}

SentItems SplitArgs(const std::wstring& text, FileSystem& fs) {
    SentItems items;
    for (std::wstring& path : ArgumentPaths(text)) {
        const uint32_t attributes = fs.Attributes(path);
        if (attributes == kInvalidAttributes) {
            items.missing.push_back(std::move(path));
        } else if (attributes & kAttrDirectory) {
            items.folders.push_back(std::move(path));
        } else {
            items.files.push_back(std::move(path));
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
    return {std::move(folder) + name, rootLength, fs.Info(full).size};
}

}  // namespace

Sources CollectSources(Platform& p, const std::wstring& arguments,
                       const std::wstring& outputFolder) {
    p.ui.YieldToWindowSystem();
    SentItems items = SplitArgs(arguments, p.fs);
    p.ui.YieldToWindowSystem();
    Sources sources;
    sources.missing = std::move(items.missing);
    const OutputFolder output = FindOutputFolder(p.fs, outputFolder);
    // One open of each sent item: whether it can be read, and what it is.
    std::set<FileId> sent;
    auto firstTime = [&](const std::wstring& item) {
        const std::optional<FileId> id = p.fs.Identity(item);
        if (!id) {
            sources.missing.push_back(item);
            return false;
        }
        return sent.insert(*id).second && id != output.id;
    };
    for (const std::wstring& file : items.files) {
        if (firstTime(file)) {
            sources.files.push_back(SentFile(p.fs, file));
        }
    }
    for (const std::wstring& folder : items.folders) {
        if (firstTime(folder)) {
            CollectFiles(p, folder, output, sources);
        }
    }
    return sources;
}

}  // namespace larkspur
