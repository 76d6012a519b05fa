#include "run/run_log.h"

namespace larkspur {

namespace {

constexpr size_t kFlushBytes = 64 << 10;
constexpr uint64_t kFlushMs = 1000;

void AppendCodePoint(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string Utf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
        }
        AppendCodePoint(out, c);
    }
    return out;
}

RunLog::RunLog(FileSystem& fs, Process& process, std::wstring path)
    : fs_(fs), process_(process), path_(std::move(path)), lastFlush_(process.Milliseconds()) {}

void RunLog::Write(std::wstring_view event, std::initializer_list<std::wstring_view> fields) {
    if (path_.empty()) {
        return;
    }
    std::wstring line = process_.LocalTime();
    line.append(L"\t").append(event);
    for (const std::wstring_view field : fields) {
        if (field.empty()) {
            continue;
        }
        const size_t start = line.size() + 1;
        line.append(L"\t").append(field);
        for (size_t i = start; i < line.size(); ++i) {
            if (line[i] == L'\t' || line[i] == L'\r' || line[i] == L'\n') {
                line[i] = L' ';
            }
        }
    }
    line += L"\r\n";
    const std::string bytes = Utf8(line);
    std::lock_guard lock(mutex_);
    pending_ += bytes;
}

void RunLog::Flush(bool force) {
    if (path_.empty()) {
        return;
    }
    const uint64_t now = process_.Milliseconds();
    std::lock_guard lock(mutex_);
    if (!force && pending_.size() < kFlushBytes && now - lastFlush_ < kFlushMs) {
        return;
    }
    lastFlush_ = now;
    if (failure_ == kNoError && !pending_.empty()) {
        if (!started_ && fs_.Info(path_).size == 0) {
            pending_.insert(0,
                            "\xEF\xBB\xBF");  // a new log: Notepad and PowerShell read it as UTF-8
        }
        started_ = true;
        failure_ = fs_.Append(path_, pending_);
    }
    pending_.clear();
}

ErrorCode RunLog::Failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

}  // namespace larkspur
