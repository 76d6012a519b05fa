// A copy's attributes as they are once it is closed: read back, set again
// where they differ, judged only where the drive can keep them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace larkspur {

// Which attribute bits the drive the copies land on keeps as they were
// given. All of them until a copy shows that Archive cannot be cleared there
// (Wine reports it set on every file; a share may do the same): from then on
// Archive is not judged on that drive. Read Only, Hidden and System are
// always judged: a drive that drops them is what the check is for.
class AttributeCheck {
  public:
    bool Holds(uint32_t got, uint32_t wanted) const {
        return got != kInvalidAttributes && ((got ^ wanted) & judged_.load() & kAttributeSet) == 0;
    }
    // As Holds, after learning from a copy whose attributes were set again.
    bool Accepts(uint32_t got, uint32_t wanted);

  private:
    std::atomic<uint32_t> judged_{kAttributeSet};
};

// Reads the attributes of the copy at path back and, where they are not
// wanted, sets them again, Read Only last (with Read Only already on, some
// file systems refuse the other bits); kErrorAttributesNotKept when they
// still differ.
ErrorCode GiveAttributes(FileSystem& fs, const std::wstring& path, uint32_t wanted,
                         AttributeCheck& check);

}  // namespace larkspur
