// Folder creation with the contract of the platform's
// MakeSureDirectoryPathExists, built on our own FileSystem so that no helper
// DLL has to be loaded for it.
#pragma once

#include <string>

#include "platform/platform.h"

namespace larkspur {

// Creates every folder along path that does not exist yet, up to and
// including the component before the last backslash; text after the last
// backslash is not created. True when every one of those folders exists
// afterwards (also when all existed before), false when one could not be
// created or a file stands where a folder should be.
bool MakeSureDirectoryPathExists(FileSystem& fs, const std::wstring& path);

}  // namespace larkspur
