#include "run/end.h"

#include <cstdlib>

namespace larkspur {

namespace {

constexpr size_t kPathsListed = 10;

}  // namespace

void RemoveTrayIcon(RunState& state, Platform& p) {
    if (state.TrayIconShown) {
        p.shell.RemoveTrayIcon(state.TrayIcon);
        state.TrayIconShown = false;
    }
}

void EndProgram(RunState& state, Platform& p, int exitCode) {
    RemoveTrayIcon(state, p);
    p.ui.UnloadAll();
    p.process.Exit(exitCode);
    std::abort();  // Exit does not return; the compiler cannot see that through the interface
}

void EndRunWithMessage(RunState& state, Platform& p, const std::wstring& text, int exitCode) {
    RemoveTrayIcon(state, p);
    p.ui.UnloadProgressWindow();
    p.ui.ShowMessage(text, kMbExclamation | kMbForeground, p.process.ProductName());
    EndProgram(state, p, exitCode);
}

void AppendPaths(std::wstring& text, const std::vector<std::wstring>& paths) {
    for (size_t i = 0; i < paths.size() && i < kPathsListed; ++i) {
        text += L"\r\n" + paths[i];
    }
    if (paths.size() > kPathsListed) {
        text += L"\r\n... and " + std::to_wstring(paths.size() - kPathsListed) + L" more";
    }
}

std::wstring NothingCopiedMessage(const std::wstring& why, const std::vector<std::wstring>& paths) {
    std::wstring text = why + L", so nothing was copied:";
    AppendPaths(text, paths);
    return text;
}

}  // namespace larkspur
