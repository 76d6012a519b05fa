#include "fakes.h"

#include <algorithm>
#include <stdexcept>

#include "run/run.h"

namespace larkspur::testing {

namespace {

std::wstring Fold(std::wstring s) {
    for (wchar_t& c : s) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return s;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return Fold(a) == Fold(b);
}

std::vector<std::wstring> Components(const std::wstring& path, size_t from) {
    std::vector<std::wstring> parts;
    size_t start = from;
    while (start <= path.size()) {
        size_t slash = path.find(L'\\', start);
        if (slash == std::wstring::npos) {
            slash = path.size();
        }
        parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

std::wstring Hex(uint32_t v) {
    wchar_t buf[16];
    swprintf(buf, 16, L"0x%x", v);
    return buf;
}

// Splits a multi-string into its paths.
std::vector<std::wstring> Paths(const std::wstring& multi) {
    std::vector<std::wstring> out;
    size_t start = 0;
    while (start < multi.size() && multi[start] != L'\0') {
        const size_t nul = multi.find(L'\0', start);
        out.push_back(multi.substr(start, nul - start));
        start = nul + 1;
    }
    return out;
}

}  // namespace

MemFs::MemFs() = default;

void MemFs::AddDrive(wchar_t letter, bool ready) {
    auto root = std::make_unique<Node>();
    root->name = std::wstring(1, letter) + L":";
    root->attributes = kAttrDirectory;
    drives_[static_cast<wchar_t>(towupper(letter))] = std::move(root);
    if (!ready) {
        unready_.insert(static_cast<wchar_t>(towupper(letter)));
    }
}

MemFs::Node* MemFs::Resolve(const std::wstring& path, bool create, bool lastIsFolder) {
    if (path.size() < 2 || path[1] != L':') {
        return nullptr;
    }
    auto drive = drives_.find(static_cast<wchar_t>(towupper(path[0])));
    if (drive == drives_.end() || unready_.count(drive->first)) {
        return nullptr;
    }
    Node* node = drive->second.get();
    if (path.size() <= 3) {
        return path.size() == 2 || path[2] == L'\\' ? node : nullptr;
    }
    if (path[2] != L'\\') {
        return nullptr;
    }
    std::vector<std::wstring> parts = Components(path, 3);
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::wstring& part = parts[i];
        const bool last = i + 1 == parts.size();
        if (part.empty()) {
            // A trailing backslash names the folder itself; the platform reads
            // doubled backslashes in the middle as one.
            if (last) {
                return node->IsFolder() ? node : nullptr;
            }
            continue;
        }
        if (!node->IsFolder()) {
            return nullptr;
        }
        Node* next = nullptr;
        for (auto& child : node->children) {
            if (SameName(child->name, part) ||
                (!child->shortName.empty() && SameName(child->shortName, part))) {
                next = child.get();
                break;
            }
        }
        if (!next) {
            if (!create) {
                return nullptr;
            }
            auto child = std::make_unique<Node>();
            child->name = part;
            child->attributes = (!last || lastIsFolder) ? kAttrDirectory : kAttrArchive;
            child->parent = node;
            next = child.get();
            node->children.push_back(std::move(child));
        }
        node = next;
    }
    return node;
}

MemFs::Node& MemFs::Folder(const std::wstring& path, const std::wstring& shortName) {
    Node* node = Resolve(path, true, true);
    if (!node) {
        throw std::invalid_argument("MemFs cannot make that folder");
    }
    node->shortName = shortName;
    return *node;
}

MemFs::Node& MemFs::File(const std::wstring& path, uint32_t attributes,
                         const std::wstring& shortName) {
    Node* node = Resolve(path, true, false);
    if (!node) {
        throw std::invalid_argument("MemFs cannot make that file");
    }
    node->attributes = attributes;
    node->shortName = shortName;
    return *node;
}

void MemFs::Remove(const std::wstring& path) {
    Node* node = Resolve(path, false, false);
    if (node && node->parent) {
        auto& siblings = node->parent->children;
        siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                    [&](const auto& c) { return c.get() == node; }));
    }
}

MemFs::Node* MemFs::Find(const std::wstring& path) {
    return Resolve(path, false, false);
}

uint32_t MemFs::Attributes(const std::wstring& path) {
    const Node* node = Resolve(FullPath(path), false, false);
    return node ? node->attributes : kInvalidAttributes;
}

std::wstring MemFs::StoredName(const std::wstring& path) {
    ++nameQueries;
    // Like a directory search on the exact path: no match for a trailing
    // backslash or a drive.
    if (path.empty() || path.back() == L'\\') {
        return std::wstring();
    }
    const Node* node = Resolve(path, false, false);
    return node && node->parent ? node->name : std::wstring();
}

std::wstring MemFs::FullPath(const std::wstring& path) {
    std::wstring full = path;
    if (path.size() < 2 || path[1] != L':') {
        if (path.rfind(L"\\\\", 0) == 0) {
            return path;  // network paths stay
        }
        if (!path.empty() && path[0] == L'\\') {
            return currentFolder.substr(0, 2) + path;  // the current drive's root
        }
        full = currentFolder + L"\\" + path;
    }
    return full;
}

bool MemFs::ListFolder(const std::wstring& folder, const EntrySink& sink) {
    ++listCalls;
    Node* node = Resolve(folder, false, false);
    if (!node || !node->IsFolder() || unreadable.count(folder)) {
        return false;
    }
    if (node->parent) {
        sink(L".", kAttrDirectory);
        sink(L"..", kAttrDirectory);
    }
    for (auto& child : node->children) {
        sink(child->name, child->attributes);
    }
    return true;
}

bool MemFs::DriveReady(wchar_t letter) {
    const wchar_t upper = static_cast<wchar_t>(towupper(letter));
    return drives_.count(upper) != 0 && !unready_.count(upper);
}

bool MemFs::CreateFolder(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || Attributes(path) != kInvalidAttributes) {
        return false;
    }
    const std::wstring name = path.substr(slash + 1);
    if (name.empty() || name.find_first_of(L"<>:\"|?*/") != std::wstring::npos ||
        !FolderExists(path.substr(0, slash == 2 ? 3 : slash))) {
        return false;
    }
    Folder(FullPath(path));
    return true;
}

bool MemFs::SetAttributes(const std::wstring& path, uint32_t attributes) {
    Node* node = Resolve(FullPath(path), false, false);
    if (!node || failSetAttributes.count(path)) {
        return false;
    }
    node->attributes = (node->attributes & kAttrDirectory) | attributes;
    return true;
}

uint64_t MemFs::WriteTime(const std::wstring& path) {
    const Node* node = Resolve(FullPath(path), false, false);
    return node ? node->writeTime : 0;
}

CopyOutcome FakeShell::CopyFiles(WindowRef owner, const std::wstring& from, const std::wstring& to,
                                 uint32_t flags) {
    ++requests;
    lastOwner = owner;
    lastFlags = flags;
    lastFrom = from;
    lastTo = to;
    log_.push_back(L"copy " + Hex(flags));
    CopyOutcome answer = outcome;
    if (perform && outcome.result == 0) {
        const std::vector<std::wstring> sources = Paths(lastFrom);
        const std::vector<std::wstring> targets = Paths(lastTo);
        for (size_t i = 0; i < sources.size() && i < targets.size(); ++i) {
            const MemFs::Node* source = fs_.Find(fs_.FullPath(sources[i]));
            if (!source || std::find(skip.begin(), skip.end(), targets[i]) != skip.end()) {
                continue;
            }
            const uint32_t existing = fs_.Attributes(targets[i]);
            if (existing != kInvalidAttributes && (existing & (kAttrReadOnly | kAttrHidden))) {
                answer.result = 5;
                break;
            }
            fs_.File(fs_.FullPath(targets[i]), source->attributes | kAttrArchive).writeTime =
                source->writeTime;
        }
    }
    return answer;
}

void FakeShell::AddTrayIcon(WindowRef owner, const std::wstring& tip) {
    trayOwner = owner;
    trayTip = tip;
    log_.push_back(L"tray add");
}

void FakeShell::RemoveTrayIcon() {
    log_.push_back(L"tray remove");
}

void FakeProfile::Set(const std::wstring& file, const std::wstring& section,
                      const std::wstring& key, const std::wstring& value) {
    files[Fold(file)][Fold(section)][Fold(key)] = value;
}

std::wstring FakeProfile::Read(const std::wstring& section, const std::wstring& key,
                               size_t capacity, const std::wstring& file) {
    log_.push_back(L"read " + section + L"/" + key);
    auto f = files.find(Fold(file));
    if (f == files.end()) {
        return std::wstring();
    }
    auto s = f->second.find(Fold(section));
    if (s == f->second.end()) {
        return std::wstring();
    }
    auto k = s->second.find(Fold(key));
    if (k == s->second.end()) {
        return std::wstring();
    }
    return k->second.substr(0, capacity - 1);
}

bool FakeProfile::Write(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& file) {
    log_.push_back(L"write " + section + L"/" + key + L"=" + value);
    Set(file, section, key, value);
    return true;
}

bool FakeUi::ShowSettingsWindow() {
    log_.push_back(L"settings window");
    return settingsSaved;
}

std::optional<CopyOptions> FakeUi::ShowOutputFolderDialog(const OutputFolderRequest& request) {
    log_.push_back(request.silent ? L"dialog silent" : L"dialog");
    if (dialog) {
        return dialog(request);
    }
    return CopyOptions{L"D:\\Out\\", 0, false};
}

void FakeUi::ShowProgressWindow() {
    log_.push_back(L"progress show");
}

WindowRef FakeUi::ProgressWindow() {
    return kProgressHandle;
}

void FakeUi::UnloadProgressWindow() {
    log_.push_back(L"progress unload");
}

void FakeUi::UnloadAll() {
    log_.push_back(L"unload all");
}

void FakeUi::ShowMessage(const std::wstring& text, uint32_t style, const std::wstring& title) {
    log_.push_back(L"message " + text + L" | " + Hex(style) + L" | " + title);
}

Machine::Machine() {
    fs.AddDrive(L'C');
    fs.AddDrive(L'D');
    fs.Folder(L"C:\\Tools");
    fs.Folder(L"C:\\Work");
}

int Machine::Run(const std::wstring& arguments) {
    process.commandLine = L"\"C:\\Tools\\Brisa.exe\"";
    if (!arguments.empty()) {
        process.commandLine += L" " + arguments;
    }
    return larkspur::Run(platform);
}

int Machine::Find(const std::wstring& prefix) const {
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].rfind(prefix, 0) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace larkspur::testing
