// The program's own copy, used by Silent Mode runs: the platform's file copy
// for each file on a small pool of threads, each copy given its attributes
// right after its own copy, so that no second pass over the copies is needed.
#pragma once

#include <string>
#include <vector>

#include "copy/copy.h"
#include "copy/sources.h"
#include "copy/verdict.h"
#include "platform/platform.h"

namespace larkspur {

// The pool size for this machine: one thread per processor, at most four;
// more do not copy faster, they only wait on the same disk.
unsigned EngineThreads();

// Copies files[i] to to[i] on threads threads (the calling one included,
// which also lets the window system repaint meanwhile). The folders that
// hold the copies are made first, parents before children, each once. An
// existing file is replaced, also when it carries Read Only, Hidden or
// System. Unlike the shell, it does not stop at a failure: it copies what
// it can, and the verdict names every copy that is missing or lacks its
// attributes. Open Explorer windows are told once, at the end.
Verdict CopyWithEngine(Platform& p, const std::vector<SourceFile>& files,
                       const std::vector<std::wstring>& to, const CopyOptions& options,
                       unsigned threads, CopyProgress* progress = nullptr);

}  // namespace larkspur
