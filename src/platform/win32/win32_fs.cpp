// File-system services through direct Win32 calls.
#include "platform/win32/win32_platform.h"

#include <atomic>
#include <cstring>
#include <vector>

namespace larkspur::win32 {

namespace {

// Reads and writes in blocks large enough that a big file copies as fast as
// the platform's own copy does, and no larger (bench/README.md has the
// measurements behind the size).
constexpr DWORD kCopyBuffer = 256 << 10;

std::wstring FullPathName(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            return path;
        }
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);
    }
}

// The platform spells "none of the attributes" as FILE_ATTRIBUTE_NORMAL.
DWORD Plain(uint32_t attributes) {
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// A source, opened to be read through once; others may go on writing,
// renaming or deleting it, which the look after the copy notices.
HANDLE OpenSource(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// A look at an open source: what is compared at the end of its copy, and
// what the copy takes from it. Two queries of their own, not
// GetFileInformationByHandle, which Wine answers with the file's name too, a
// hundred times slower.
struct Look {
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;

    bool Take(HANDLE file) {
        return GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
               GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard);
    }
    // Whether the source changed between two looks at it.
    bool operator!=(const Look& other) const {
        return basic.LastWriteTime.QuadPart != other.basic.LastWriteTime.QuadPart ||
               standard.EndOfFile.QuadPart != other.standard.EndOfFile.QuadPart;
    }
};

// A name beside the destination for a copy that replaces a file: in the
// same folder, so that taking the destination's place is a rename, and
// unique to this process and call.
std::wstring NameBeside(const std::wstring& to) {
    static std::atomic<unsigned> counter{0};
    wchar_t name[40];
    swprintf(name, 40, L"~Larkspur-%lx-%x.tmp", GetCurrentProcessId(), counter.fetch_add(1));
    return to.substr(0, to.rfind(L'\\') + 1) + name;
}

// Blocks for the copy, one set per thread; the one that reads a copy back
// past the cache is page-aligned, as unbuffered reads require.
struct Buffers {
    std::vector<char> data = std::vector<char>(kCopyBuffer);
    void* aligned = VirtualAlloc(nullptr, kCopyBuffer, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    Buffers() = default;
    Buffers(const Buffers&) = delete;
    Buffers& operator=(const Buffers&) = delete;
    ~Buffers() { VirtualFree(aligned, 0, MEM_RELEASE); }
};
thread_local Buffers buffers;

// The copy at path read back from the disk and compared with the source,
// read again from its start. The copy is opened unbuffered, so what is
// compared is what the disk holds, not what the cache still has.
ErrorCode CompareWithSource(HANDLE source, const std::wstring& path) {
    const FileHandle copy(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr));
    const LARGE_INTEGER start{};
    if (!copy.valid() || !buffers.aligned ||
        !SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) {
        return GetLastError();
    }
    for (;;) {
        DWORD fromSource = 0, fromCopy = 0;
        if (!ReadFile(source, buffers.data.data(), kCopyBuffer, &fromSource, nullptr) ||
            !ReadFile(copy.get(), buffers.aligned, kCopyBuffer, &fromCopy, nullptr)) {
            return GetLastError();
        }
        if (fromSource != fromCopy ||
            std::memcmp(buffers.data.data(), buffers.aligned, fromSource) != 0) {
            return kErrorCopyDiffers;
        }
        if (fromSource == 0) {
            return kNoError;
        }
    }
}

// A copy being written: deleted through its handle unless it was kept. Read
// Only is taken off first, as a file that has it cannot be deleted.
class NewCopy {
  public:
    explicit NewCopy(HANDLE handle) : handle_(handle) {}
    ~NewCopy() {
        if (handle_.valid() && !kept_) {
            FILE_BASIC_INFO plain{};
            plain.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            SetFileInformationByHandle(handle_.get(), FileBasicInfo, &plain, sizeof plain);
            FILE_DISPOSITION_INFO remove{TRUE};
            SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &remove, sizeof remove);
        }
    }
    NewCopy(const NewCopy&) = delete;
    NewCopy& operator=(const NewCopy&) = delete;

    bool valid() const { return handle_.valid(); }
    HANDLE get() const { return handle_.get(); }
    void Keep() { kept_ = true; }

  private:
    FileHandle handle_;
    bool kept_ = false;
};

// Creates the file a copy is written to: to itself, or with replace a new
// name beside it. The Hidden and System the copy will have are given at
// creation; Read Only comes last, once the copy is complete.
HANDLE CreateCopy(const std::wstring& to, const CopyRequest& request, uint32_t attributes,
                  std::wstring& path) {
    for (int attempt = 0;; ++attempt) {
        path = request.replace ? NameBeside(to) : to;
        const HANDLE copy = CreateFileW(
            path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
            CREATE_NEW, Plain(attributes & ~kAttrReadOnly) | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (copy != INVALID_HANDLE_VALUE || !request.replace ||
            GetLastError() != ERROR_FILE_EXISTS || attempt == 8) {
            return copy;
        }
    }
}

// Moves the finished copy onto its destination, replacing what stands there.
bool TakePlace(HANDLE copy, const std::wstring& to) {
    std::vector<char> info(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(info.data());
    rename->ReplaceIfExists = TRUE;
    rename->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, to.c_str(), (to.size() + 1) * sizeof(wchar_t));
    return SetFileInformationByHandle(copy, FileRenameInfo, rename,
                                      static_cast<DWORD>(info.size()));
}

// The copy written here: the source opened once, the copy created, its
// content, a look whether the source changed meanwhile, the optional
// verification, then its last-write time and attributes in one call on the
// open handle and, when it replaces a file, the rename onto it.
ErrorCode WriteCopy(const std::wstring& from, const std::wstring& to, const CopyRequest& request) {
    const FileHandle source(OpenSource(from));
    Look before, after;
    if (!source.valid() || !before.Take(source.get())) {
        return GetLastError();
    }
    const uint32_t attributes =
        request.attributes ? *request.attributes : before.basic.FileAttributes & kAttributeSet;
    std::wstring path;
    NewCopy copy(CreateCopy(to, request, attributes, path));
    if (!copy.valid()) {
        return GetLastError();
    }
    uint64_t copied = 0;
    for (DWORD read = 0, written = 0;; copied += read) {
        if (!ReadFile(source.get(), buffers.data.data(), kCopyBuffer, &read, nullptr)) {
            return GetLastError();
        }
        if (read == 0) {
            break;
        }
        if (!WriteFile(copy.get(), buffers.data.data(), read, &written, nullptr)) {
            return GetLastError();
        }
        if (written != read) {
            return kErrorDiskFull;
        }
    }
    if (!after.Take(source.get()) || after != before ||
        copied != static_cast<uint64_t>(before.standard.EndOfFile.QuadPart)) {
        return kErrorSourceChanged;  // what was read matches neither version
    }
    if (request.verify) {
        if (!FlushFileBuffers(copy.get())) {
            return GetLastError();
        }
        if (const ErrorCode differs = CompareWithSource(source.get(), path)) {
            return differs;
        }
    }
    FILE_BASIC_INFO last{};
    last.LastWriteTime = before.basic.LastWriteTime;
    last.FileAttributes = Plain(attributes);
    // A failure here shows when the copy's attributes are read back.
    SetFileInformationByHandle(copy.get(), FileBasicInfo, &last, sizeof last);
    if (request.replace && !TakePlace(copy.get(), to)) {
        return GetLastError();
    }
    copy.Keep();
    return kNoError;
}

// The platform's file copy, which keeps the alternate data streams, into a
// new file (beside the destination when it replaces one); then the
// attributes, Read Only last, and the rename. Unbuffered when it is
// verified, so that what is read back comes from the disk.
ErrorCode CopyKeepingStreams(const std::wstring& from, const std::wstring& to,
                             const CopyRequest& request) {
    const FileHandle source(OpenSource(from));
    Look before, after;
    if (!source.valid() || !before.Take(source.get())) {
        return GetLastError();
    }
    std::wstring path;
    for (int attempt = 0;; ++attempt) {
        path = request.replace ? NameBeside(to) : to;
        const DWORD flags =
            COPY_FILE_FAIL_IF_EXISTS | (request.verify ? COPY_FILE_NO_BUFFERING : 0);
        if (CopyFileExW(from.c_str(), path.c_str(), nullptr, nullptr, nullptr, flags)) {
            break;
        }
        const DWORD error = GetLastError();
        if (!request.replace || error != ERROR_FILE_EXISTS || attempt == 8) {
            return error;
        }
    }
    ErrorCode error = kNoError;
    if (!after.Take(source.get()) || after != before) {
        error = kErrorSourceChanged;
    } else if (request.verify) {
        error = CompareWithSource(source.get(), path);
    }
    if (!error && request.attributes) {
        SetFileAttributesW(path.c_str(), Plain(*request.attributes & ~kAttrReadOnly));
        if (*request.attributes & kAttrReadOnly) {
            SetFileAttributesW(path.c_str(), *request.attributes);
        }
    }
    if (!error && request.replace &&
        !MoveFileExW(path.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = GetLastError();
    }
    if (error) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    return error;
}

}  // namespace

bool IsPlainAbsolute(const std::wstring& path) {
    size_t rest;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\' && iswalpha(path[0])) {
        rest = 3;
    } else if (path.rfind(L"\\\\", 0) == 0 && path.size() > 2 && path[2] != L'?' &&
               path[2] != L'.') {
        rest = 2;
    } else {
        return false;
    }
    if (path.find(L'/') != std::wstring::npos || path.find(L"\\\\", rest) != std::wstring::npos) {
        return false;
    }
    for (size_t start = rest; start < path.size();) {
        size_t end = path.find(L'\\', start);
        end = end == std::wstring::npos ? path.size() : end;
        const std::wstring_view name(path.data() + start, end - start);
        if (name == L"." || name == L"..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

std::wstring ForApi(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) {
        return path;
    }
    const std::wstring full = IsPlainAbsolute(path) ? path : FullPathName(path);
    if (full.size() > 2 && full[1] == L':' && full[2] == L'\\') {
        return L"\\\\?\\" + full;
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return full;
}

std::wstring VolumeRoot(const std::wstring& path) {
    std::wstring plain = path;
    if (plain.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        plain = L"\\\\" + plain.substr(8);
    } else if (plain.rfind(L"\\\\?\\", 0) == 0) {
        plain = plain.substr(4);
    }
    if (plain.rfind(L"\\\\", 0) != 0) {
        return plain.substr(0, 3);
    }
    const size_t share = plain.find(L'\\', 2);
    const size_t end = share == std::wstring::npos ? share : plain.find(L'\\', share + 1);
    return plain.substr(0, end) + L'\\';
}

uint32_t Win32FileSystem::Attributes(const std::wstring& path) {
    return GetFileAttributesW(ForApi(path).c_str());
}

std::wstring Win32FileSystem::StoredName(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(ForApi(path).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, 0));
    return find.valid() ? std::wstring(data.cFileName) : std::wstring();
}

// A plain absolute path is already full: resolving it would only strip a
// trailing dot or space, which the shell sends as part of a name.
std::wstring Win32FileSystem::FullPath(const std::wstring& path) {
    return IsPlainAbsolute(path) ? path : FullPathName(path);
}

ErrorCode Win32FileSystem::ListFolder(const std::wstring& folder, const EntrySink& sink) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(ForApi(folder + L'*').c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.valid()) {
        // No entry at all (a drive root holds no "." or "..") is an empty
        // folder, not a failure.
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? kNoError : error;
    }
    do {
        sink(data.cFileName, data.dwFileAttributes,
             (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    } while (FindNextFileW(find.get(), &data));
    return kNoError;
}

std::wstring Win32FileSystem::ErrorText(ErrorCode error) {
    return SystemErrorText(error);
}

ErrorCode Win32FileSystem::Compare(const std::wstring& source, const std::wstring& copy) {
    const FileHandle file(OpenSource(ForApi(source)));
    return file.valid() ? CompareWithSource(file.get(), ForApi(copy)) : GetLastError();
}

ErrorCode Win32FileSystem::Append(const std::wstring& path, std::string_view bytes) {
    const FileHandle file(CreateFileW(ForApi(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file.valid() ||
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        return GetLastError();
    }
    return written == bytes.size() ? kNoError : kErrorDiskFull;
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const LocalMemory owned(buffer);
    std::wstring text = n ? std::wstring(buffer, n) : L"Error " + std::to_wstring(error);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

bool Win32FileSystem::DriveReady(wchar_t letter) {
    const wchar_t upper = letter >= L'a' && letter <= L'z' ? letter - (L'a' - L'A') : letter;
    if (upper < L'A' || upper > L'Z' || !((GetLogicalDrives() >> (upper - L'A')) & 1)) {
        return false;
    }
    NoCriticalErrorBoxes quiet;
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
}

bool Win32FileSystem::CreateFolder(const std::wstring& path) {
    return CreateDirectoryW(ForApi(path).c_str(), nullptr) != 0;
}

bool Win32FileSystem::SetAttributes(const std::wstring& path, uint32_t attributes) {
    return SetFileAttributesW(ForApi(path).c_str(), Plain(attributes)) != 0;
}

std::optional<FileId> Win32FileSystem::Identity(const std::wstring& path) {
    // FILE_READ_DATA is FILE_LIST_DIRECTORY on a folder.
    const FileHandle handle(CreateFileW(ForApi(path).c_str(), FILE_READ_DATA | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    // The 128-bit identity (ReFS needs all of it) in one query of its own;
    // Wine answers GetFileInformationByHandle with the name too, a hundred
    // times slower.
    FILE_ID_INFO info;
    if (!handle.valid() ||
        !GetFileInformationByHandleEx(handle.get(), FileIdInfo, &info, sizeof info)) {
        return std::nullopt;
    }
    FileId id{info.VolumeSerialNumber};
    std::memcpy(&id.file, info.FileId.Identifier, sizeof id.file);
    std::memcpy(&id.high, info.FileId.Identifier + sizeof id.file, sizeof id.high);
    return id;
}

FileInfo Win32FileSystem::Info(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ForApi(path).c_str(), GetFileExInfoStandard, &data)) {
        return {};
    }
    return {data.dwFileAttributes,
            (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime};
}

// Where the source's volume holds alternate data streams, the platform's
// file copy keeps them. Elsewhere (FAT drives, and every drive under Wine) a
// file is its content, times and attributes, and the copy is written here,
// with its attributes on the way: one open of each file and no second pass.
ErrorCode Win32FileSystem::Copy(const std::wstring& from, const std::wstring& to,
                                const CopyRequest& request) {
    const std::wstring source = ForApi(from), target = ForApi(to);
    return keepStreamsEverywhere || HoldsStreams(source)
               ? CopyKeepingStreams(source, target, request)
               : WriteCopy(source, target, request);
}

// Asked once per drive or share: a volume mounted in a folder answers as the
// drive that holds it. A volume that cannot be asked is taken to hold streams.
bool Win32FileSystem::HoldsStreams(const std::wstring& path) {
    const std::wstring root = VolumeRoot(path);
    std::lock_guard lock(mutex_);
    const auto known = holdsStreams_.find(root);
    if (known != holdsStreams_.end()) {
        return known->second;
    }
    NoCriticalErrorBoxes quiet;
    DWORD flags = 0;
    const bool streams =
        !GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
        (flags & FILE_NAMED_STREAMS);
    holdsStreams_.emplace(root, streams);
    return streams;
}

}  // namespace larkspur::win32
