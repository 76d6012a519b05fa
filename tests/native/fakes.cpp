#include "fakes.h"

#include <algorithm>
#include <sstream>

#include "copy/copy.h"
#include "paths/names.h"
#include "run/run.h"

namespace larkspur::testing {

namespace {

std::wstring Hex(uint32_t value) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%x", value);
    return text;
}

}  // namespace

MemFs::MemFs(Log& log) : log_(log) {
    Add(L"C:\\Work\\");
    Add(L"D:\\");
}

// The node path names, made with attributes create where missing when
// create is not 0; the drive's letter case, doubled backslashes and a
// trailing one mean nothing, as to the platform.
MemFs::Node* MemFs::Walk(const std::wstring& path, uint32_t create) {
    std::lock_guard lock(mutex_);
    if (path.size() < 2 || path[1] != L':' || (path.size() > 2 && path[2] != L'\\')) {
        return nullptr;
    }
    Node* node = &root_;
    std::wistringstream parts(path);
    for (std::wstring part; std::getline(parts, part, L'\\');) {
        if (part.empty()) {
            continue;
        }
        if (!(node->attributes & kAttrDirectory)) {
            return nullptr;
        }
        auto found = std::find_if(node->children.begin(), node->children.end(), [&](auto& c) {
            return SameName(c->name, part) || SameName(c->shortName, part);
        });
        if (found == node->children.end()) {
            if (!create) {
                return nullptr;
            }
            node->children.push_back(std::make_unique<Node>());
            found = node->children.end() - 1;
            (*found)->name = part;
            (*found)->attributes = parts.eof() ? create : kAttrDirectory;
        }
        node = (*found)->link ? (*found)->link : found->get();
    }
    return node;
}

MemFs::Node& MemFs::Add(const std::wstring& path, uint32_t attributes,
                        const std::wstring& shortName) {
    attributes = path.back() == L'\\' ? kAttrDirectory : attributes;
    Node& node = *Walk(path, attributes);
    node.attributes = attributes;
    node.shortName = shortName;
    return node;
}

void MemFs::AddLink(const std::wstring& path, const std::wstring& target) {
    Node& link = Add(path + L"\\");
    link.attributes |= kAttrReparsePoint;
    link.link = Find(target);
}

std::optional<FileId> MemFs::Identity(const std::wstring& path) {
    std::lock_guard lock(mutex_);
    ++identityQueries;
    const Node* node = Find(path);
    if (!node || unreadable.count(path) || failCopy.count(path)) {
        return std::nullopt;
    }
    return FileId{1, node->id};  // one volume: ids are unique across drives
}

ErrorCode MemFs::Append(const std::wstring& path, std::string_view bytes) {
    std::lock_guard lock(mutex_);
    if (unwritable.count(path)) {
        return kErrorAccessDenied;
    }
    std::string& text = appended[path];
    text.append(bytes);
    Add(path).size = text.size();
    return kNoError;
}

void MemFs::Remove(const std::wstring& path) {
    Node* parent = Find(path.substr(0, path.find_last_of(L'\\')));
    std::erase_if(parent->children, [&](auto& child) { return child.get() == Find(path); });
}

uint32_t MemFs::Attributes(const std::wstring& path) {
    return Info(path).attributes;
}

FileInfo MemFs::Info(const std::wstring& path) {
    std::lock_guard lock(mutex_);
    ++infoQueries;
    const Node* node = Find(path);
    return node ? FileInfo{node->attributes, node->size, node->writeTime} : FileInfo{};
}

std::wstring MemFs::StoredName(const std::wstring& path) {
    std::lock_guard lock(mutex_);
    ++nameQueries;
    // A directory search on the exact path: nothing for a trailing backslash
    // or a drive.
    const Node* node = path.size() <= 3 || path.back() == L'\\' ? nullptr : Find(path);
    return node ? node->name : std::wstring();
}

std::wstring MemFs::FullPath(const std::wstring& path) {
    if (path.rfind(L"\\\\", 0) == 0 || (path.size() >= 2 && path[1] == L':')) {
        return path;  // network and drive paths stay
    }
    return path.rfind(L'\\', 0) == 0 ? currentFolder.substr(0, 2) + path
                                     : currentFolder + L"\\" + path;
}

ErrorCode MemFs::ListFolder(const std::wstring& folder, const EntrySink& sink) {
    std::lock_guard lock(mutex_);
    const Node* node = Find(folder);
    if (!node || !(node->attributes & kAttrDirectory)) {
        return kErrorPathNotFound;
    }
    if (unreadable.count(folder)) {
        return kErrorAccessDenied;
    }
    if (folder.size() > 3) {
        sink(L".", kAttrDirectory, 0);
        sink(L"..", kAttrDirectory, 0);
    }
    for (auto& child : node->children) {
        sink(child->name, child->attributes, child->size);
    }
    return kNoError;
}

bool MemFs::CreateFolder(const std::wstring& path) {
    std::lock_guard lock(mutex_);
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || Find(path) || slash + 1 == path.size() ||
        path.find_first_of(L"<>\"|?*/", slash) != std::wstring::npos ||
        !Find(path.substr(0, slash == 2 ? 3 : slash)) ||
        !(Find(path.substr(0, slash == 2 ? 3 : slash))->attributes & kAttrDirectory)) {
        ++foldersNotMade;
        return false;
    }
    log_.push_back(L"mkdir " + path);
    Add(FullPath(path) + L"\\");
    return true;
}

bool MemFs::SetAttributes(const std::wstring& path, uint32_t attributes) {
    std::lock_guard lock(mutex_);
    Node* node = Find(path);
    if (node) {
        const auto dropped = dropping.find(path);
        const bool directory = node->attributes & kAttrDirectory;
        const uint32_t kept = dropped == dropping.end() ? ~0u : ~dropped->second;
        node->attributes = (attributes & kept) | (directory ? uint32_t{kAttrDirectory} : 0u) |
                           (archiveSticks && !directory ? uint32_t{kAttrArchive} : 0u);
    }
    return node;
}

bool MemFs::Write(const std::wstring& path, const Node& source, bool partial) {
    std::lock_guard lock(mutex_);
    const Node* old = Find(path);
    const uint64_t replaced = old ? old->size : 0;
    uint64_t size = source.size;
    const auto space = freeSpace.find(static_cast<wchar_t>(towupper(FullPath(path)[0])));
    if (space != freeSpace.end()) {
        // A copy written beside the file it replaces needs room for both; one
        // written over it, only for what it adds.
        const uint64_t room = space->second + (partial ? replaced : 0);
        if (size > room && !partial) {
            return false;
        }
        size = std::min(size, room);
        space->second = space->second + replaced - size;
    }
    Node& node = Add(FullPath(path), kAttrArchive);
    node.size = size;
    node.content = size == source.size ? source.content : 0;
    node.writeTime = size == source.size ? source.writeTime : 99;
    SetAttributes(path, source.attributes);
    return size == source.size;
}

// As the platform's copy on Windows.
ErrorCode MemFs::Copy(const std::wstring& from, const std::wstring& to,
                      const CopyRequest& request) {
    std::lock_guard lock(mutex_);
    const Node* source = Find(from);
    const Node* target = Find(to);
    const Node* folder = Find(to.substr(0, to.find_last_of(L'\\')));
    if (!source || (source->attributes & kAttrDirectory)) {
        return kErrorFileNotFound;
    }
    if (failCopy.count(from)) {
        return kErrorSharingViolation;
    }
    if (!folder || !(folder->attributes & kAttrDirectory)) {
        return kErrorPathNotFound;
    }
    if (target && !request.replace) {
        return kErrorFileExists;
    }
    if (changing.count(from)) {
        return kErrorSourceChanged;
    }
    const bool corrupt = corrupting.count(from) > 0;
    if (corrupt && request.verify) {
        return kErrorCopyDiffers;
    }
    if (target && (target->attributes & (kAttrDirectory | kAttrReadOnly))) {
        return kErrorAccessDenied;  // the rename onto it is refused
    }
    Node copy;
    copy.size = source->size;
    copy.content = source->content ^ (corrupt ? 1 : 0);
    copy.writeTime = source->writeTime;
    copy.attributes = request.attributes.value_or(source->attributes & kAttributeSet);
    return Write(to, copy) ? kNoError : kErrorDiskFull;
}

CopyOutcome Machine::CopyFiles(WindowRef owner, const std::vector<std::wstring>& from,
                               const std::vector<std::wstring>& to, ShellCopyMode mode) {
    log.push_back(std::wstring(L"shell copy ") +
                  (mode == ShellCopyMode::kSilent ? L"silent" : L"interactive") + L" for " +
                  std::to_wstring(owner));
    CopyOutcome answer = outcome;
    // Like the platform's copy it refuses a Read Only, Hidden or System
    // destination, and it leaves what it wrote of a file that does not fit.
    for (size_t i = 0; answer.result == 0 && i < from.size(); ++i) {
        if (std::find(skip.begin(), skip.end(), to[i]) != skip.end()) {
            continue;
        }
        fs.Add(to[i].substr(0, to[i].find_last_of(L'\\') + 1));
        const MemFs::Node* node = fs.Find(from[i]);
        const uint32_t existing = fs.Attributes(to[i]);
        if (!node || fs.failCopy.count(from[i])) {
            answer.result = kErrorSharingViolation;
        } else if (existing != kInvalidAttributes && (existing & kAttrInTheWay)) {
            answer.result = kErrorAccessDenied;
        } else if (!fs.Write(to[i], *node, true)) {
            answer.result = kErrorDiskFull;
        } else if (fs.corrupting.count(from[i])) {
            fs.Find(to[i])->content ^= 1;
        }
    }
    return answer;
}

std::wstring Machine::Read(const std::wstring& section, const std::wstring& key, size_t capacity,
                           const std::wstring&) {
    const auto found = values.find(Folded(section + L"/" + key));
    return found == values.end() ? std::wstring() : found->second.substr(0, capacity - 1);
}

bool Machine::Write(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                    const std::wstring&) {
    if (!readOnly) {
        values[Folded(section + L"/" + key)] = value;
        log.push_back(section + L"/" + key + L"=" + value);
    }
    return !readOnly;
}

// "dialog [silent] U,A,R,H,S,A[ FOLDER]": the states of Set Default, the
// heading and the four boxes, and the folder.
std::optional<OutputFolderChoice> Machine::ShowOutputFolderDialog(const OutputFolderStart& start) {
    const FolderChoice& f = start.from;
    std::wstring text = start.silent ? L"dialog silent " : L"dialog ";
    for (const int state : {f.use, f.attributes, f.readOnly, f.hidden, f.system, f.archive}) {
        text += std::to_wstring(state) + L",";
    }
    text.pop_back();
    log.push_back(f.location.empty() ? text : text + L" " + f.location);
    return choice;
}

void Machine::ShowMessage(const std::wstring& text, uint32_t style, const std::wstring& title) {
    log.push_back(L"message " + text + L" | " + Hex(style) + L" | " + title);
}

void Machine::Set(const std::wstring& section, const std::wstring& settings) {
    std::wistringstream pairs(settings);
    for (std::wstring pair; std::getline(pairs, pair, L'|');) {
        values[Folded(section + L"/" + pair.substr(0, pair.find(L'=')))] =
            pair.substr(pair.find(L'=') + 1);
    }
}

int Machine::Run(const std::wstring& arguments) {
    commandLine = L"\"C:\\Tools\\Brisa.exe\"" + (arguments.empty() ? L"" : L" " + arguments);
    return larkspur::Run(platform, *this);
}

}  // namespace larkspur::testing
