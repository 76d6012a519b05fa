// The log of Silent Mode runs: a line per event, appended to the file the
// settings name, in UTF-8 with Windows line ends (and a byte-order mark when
// the file is new), so that Notepad shows it and a script can split it. A
// line is fields separated by tabs: the local time, the event, then the
// event's own fields; tabs and line breaks inside a field become spaces.
//
//   start          items=N  output=FOLDER  attributes=RHSA|none|kept  engine=own|shell  threads=N
//   copied         PATH
//   replaced       PATH
//   not-copied     PATH  REASON
//   no-attributes  PATH  REASON
//   end            files=N  copied=N  bytes=N  failed=N  seconds=S  exit=N  [stopped=user|session]
//                  [reason=TEXT]
#pragma once

#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace larkspur {

class RunLog {
  public:
    // An empty path keeps no log.
    RunLog(FileSystem& fs, Process& process, std::wstring path);
    ~RunLog() { Flush(true); }
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // One line, empty fields left out; from any thread.
    void Write(std::wstring_view event, std::initializer_list<std::wstring_view> fields);
    // Writes out what has gathered: always when forced, else once there is
    // enough (a second's worth, or 64 KiB) to be worth a write.
    void Flush(bool force);

    const std::wstring& Path() const { return path_; }
    // Why the log could not be written (the first failure; then it writes
    // no more), kNoError while it could.
    ErrorCode Failure() const;

  private:
    FileSystem& fs_;
    Process& process_;
    const std::wstring path_;
    mutable std::mutex mutex_;
    std::string pending_;
    uint64_t lastFlush_ = 0;
    ErrorCode failure_ = kNoError;
    bool started_ = false;
};

// Text as UTF-8; a UTF-16 surrogate pair is one character.
std::string Utf8(std::wstring_view text);

}  // namespace larkspur
