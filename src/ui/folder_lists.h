// The drive list and the folder list of the output folder dialog.
//
// Both wrap a control the table created (a ComboBoxEx and a report-style
// list view) and fill it with the shell's own names and icons, so they look
// as drives and folders look in Explorer. The folder list always has one
// folder open: its ancestors are listed above it and its subfolders below,
// indented one level further, and only activating an entry (double-click or
// Enter) or the program opens another one. The highlighted entry is just a
// highlight.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/platform.h"

namespace larkspur::ui {

class DriveList {
  public:
    void Attach(HWND control);    // fills the list with the machine's drives
    void Select(wchar_t letter);  // when the list has that drive
    wchar_t Selected() const;     // upper case; 0 when none is

  private:
    HWND hwnd_ = nullptr;
};

class FolderList {
  public:
    void Attach(HWND control, FileSystem& fs);

    // Opens folder: lists its ancestors and its subfolders. Answers
    // kNoError, or why the folder cannot be listed, in which case the list
    // stays as it was.
    ErrorCode Open(const std::wstring& folder);

    // The open folder, as the list gives it: no trailing backslash except at
    // the root of a drive.
    const std::wstring& OpenFolder() const { return open_; }
    // The folders of the highlighted entry (empty when none is), of entry
    // i, and the entry of the open folder.
    std::wstring Highlighted() const;
    const std::wstring& Entry(size_t i) const { return entries_[i]; }
    size_t EntryCount() const { return entries_.size(); }
    size_t OpenEntry() const { return openEntry_; }

    // Keeps the single column as wide as the list.
    void FitColumn();

  private:
    HWND hwnd_ = nullptr;
    FileSystem* fs_ = nullptr;
    std::wstring open_;
    std::vector<std::wstring> entries_;  // one folder per entry, top to bottom
    size_t openEntry_ = 0;
};

}  // namespace larkspur::ui
