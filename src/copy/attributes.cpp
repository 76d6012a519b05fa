#include "copy/attributes.h"

#include "copy/verdict.h"

namespace larkspur {

bool AttributeCheck::Accepts(uint32_t got, uint32_t wanted) {
    if (got != kInvalidAttributes && ((got ^ wanted) & kAttributeSet) == kAttrArchive &&
        (got & kAttrArchive)) {
        judged_.fetch_and(~static_cast<uint32_t>(kAttrArchive));
    }
    return Holds(got, wanted);
}

ErrorCode GiveAttributes(FileSystem& fs, const std::wstring& path, uint32_t wanted,
                         AttributeCheck& check) {
    if (check.Holds(fs.Attributes(path), wanted)) {
        return kNoError;
    }
    fs.SetAttributes(path, wanted & ~kAttrReadOnly);
    if (wanted & kAttrReadOnly) {
        fs.SetAttributes(path, wanted);
    }
    return check.Accepts(fs.Attributes(path), wanted) ? kNoError : kErrorAttributesNotKept;
}

}  // namespace larkspur
