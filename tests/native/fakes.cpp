#include "fakes.h"

#include <algorithm>

#include "run/run.h"

namespace larkspur::testing {

namespace {

std::wstring Fold(std::wstring s) {
    for (wchar_t& c : s) {
        c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    }
    return s;
}

std::wstring Hex(uint32_t value) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%x", value);
    return text;
}

std::vector<std::wstring> Paths(const std::wstring& multi) {
    std::vector<std::wstring> out;
    for (size_t start = 0; start < multi.size() && multi[start]; start += out.back().size() + 1) {
        out.emplace_back(multi.c_str() + start);
    }
    return out;
}

}  // namespace

MemFs::MemFs(Log& log) : log_(log) {
    Add(L"C:\\Work\\", kAttrDirectory);
    Add(L"D:\\", kAttrDirectory);
}

// The node path names, made with attributes create where missing when
// create is not 0; the drive's letter case, doubled backslashes and a
// trailing one mean nothing, as to the platform.
MemFs::Node* MemFs::Walk(const std::wstring& path, uint32_t create) {
    std::lock_guard lock(mutex_);
    if (path.size() < 2 || path[1] != L':' || (path.size() > 2 && path[2] != L'\\') ||
        unready.count(static_cast<wchar_t>(towupper(path[0])))) {
        return nullptr;
    }
    Node* node = &root_;
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(L'\\', start + (start == 0 ? 2 : 0)), path.size());
        const std::wstring part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            continue;
        }
        if (!(node->attributes & kAttrDirectory)) {
            return nullptr;
        }
        auto found = std::find_if(node->children.begin(), node->children.end(), [&](auto& c) {
            return Fold(c->name) == Fold(part) ||
                   (!c->shortName.empty() && Fold(c->shortName) == Fold(part));
        });
        if (found == node->children.end() && !create) {
            return nullptr;
        }
        if (found == node->children.end()) {
            node->children.push_back(std::make_unique<Node>());
            node->children.back()->name = part;
            found = node->children.end() - 1;
            (*found)->attributes = end < path.size() ? kAttrDirectory : create;
        }
        node = found->get();
    }
    return node;
}

MemFs::Node& MemFs::Add(const std::wstring& path, uint32_t attributes,
                        const std::wstring& shortName) {
    Node& node = *Walk(path, path.back() == L'\\' ? kAttrDirectory : attributes);
    node.attributes = path.back() == L'\\' ? kAttrDirectory : attributes;
    node.shortName = shortName;
    return node;
}

uint32_t MemFs::Attributes(const std::wstring& path) {
    const Node* node = Find(path);
    return node ? node->attributes : kInvalidAttributes;
}

std::wstring MemFs::StoredName(const std::wstring& path) {
    std::lock_guard lock(mutex_);
    ++nameQueries;
    // A directory search on the exact path: nothing for a trailing backslash
    // or a drive.
    const Node* node =
        path.empty() || path.back() == L'\\' || path.size() <= 3 ? nullptr : Find(path);
    return node ? node->name : std::wstring();
}

std::wstring MemFs::FullPath(const std::wstring& path) {
    if (path.rfind(L"\\\\", 0) == 0 || (path.size() >= 2 && path[1] == L':')) {
        return path;  // network and drive paths stay
    }
    return !path.empty() && path[0] == L'\\' ? currentFolder.substr(0, 2) + path
                                             : currentFolder + L"\\" + path;
}

bool MemFs::ListFolder(const std::wstring& folder, const EntrySink& sink) {
    std::lock_guard lock(mutex_);
    Node* node = Find(folder);
    if (!node || !(node->attributes & kAttrDirectory) || unreadable.count(folder)) {
        return false;
    }
    if (folder.size() > 3) {
        sink(L".", kAttrDirectory);
        sink(L"..", kAttrDirectory);
    }
    for (auto& child : node->children) {
        sink(child->name, child->attributes);
    }
    return true;
}

bool MemFs::CreateFolder(const std::wstring& path) {
    std::lock_guard lock(mutex_);
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || Find(path) || slash + 1 == path.size() ||
        path.find_first_of(L"<>\"|?*/", slash) != std::wstring::npos ||
        !FolderExists(path.substr(0, slash == 2 ? 3 : slash))) {
        return false;
    }
    log_.push_back(L"mkdir " + path);
    Add(FullPath(path) + L"\\");
    return true;
}

bool MemFs::SetAttributes(const std::wstring& path, uint32_t attributes) {
    std::lock_guard lock(mutex_);
    Node* node = Find(path);
    if (node && !failSetAttributes.count(path)) {
        node->attributes = (node->attributes & kAttrDirectory) | attributes;
    }
    return node && !failSetAttributes.count(path);
}

bool MemFs::Copy(const std::wstring& from, const std::wstring& to) {
    std::lock_guard lock(mutex_);
    const Node* source = Find(from);
    const uint32_t existing = Attributes(to);
    if (!source || (source->attributes & kAttrDirectory) || failCopy.count(from) ||
        (existing != kInvalidAttributes &&
         (existing & (kAttrDirectory | kAttrReadOnly | kAttrHidden | kAttrSystem))) ||
        !FolderExists(to.substr(0, to.find_last_of(L'\\')))) {
        return false;
    }
    const uint64_t writeTime = source->writeTime;
    Add(FullPath(to), source->attributes).writeTime = writeTime;
    return true;
}

CopyOutcome FakeShell::CopyFiles(WindowRef owner, const std::wstring& from, const std::wstring& to,
                                 uint32_t flags) {
    this->owner = owner;
    this->to = to;
    log.push_back(L"shell copy " + Hex(flags));
    CopyOutcome answer = outcome;
    const std::vector<std::wstring> sources = Paths(from), targets = Paths(to);
    for (size_t i = 0; answer.result == 0 && i < sources.size(); ++i) {
        if (std::find(skip.begin(), skip.end(), targets[i]) == skip.end()) {
            fs.Add(targets[i].substr(0, targets[i].find_last_of(L'\\') + 1));
            answer.result = fs.Copy(sources[i], targets[i]) ? 0 : 5;  // the platform's copy
        }
    }
    return answer;
}

std::wstring FakeProfile::Read(const std::wstring& section, const std::wstring& key,
                               size_t capacity, const std::wstring&) {
    const auto found = values.find(Fold(section + L"/" + key));
    return found == values.end() ? std::wstring() : found->second.substr(0, capacity - 1);
}

bool FakeProfile::Write(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring&) {
    values[Fold(section + L"/" + key)] = value;
    return true;
}

void FakeUi::ShowMessage(const std::wstring& text, uint32_t style, const std::wstring& title) {
    log.push_back(L"message " + text + L" | " + Hex(style) + L" | " + title);
}

int Machine::Run(const std::wstring& arguments) {
    process.commandLine =
        L"\"C:\\Tools\\Brisa.exe\"" + (arguments.empty() ? L"" : L" " + arguments);
    return larkspur::Run(platform);
}

Log Machine::Events() const {
    Log events;
    std::copy_if(log.begin(), log.end(), std::back_inserter(events),
                 [](const std::wstring& line) { return line.rfind(L"mkdir ", 0) != 0; });
    return events;
}

}  // namespace larkspur::testing
