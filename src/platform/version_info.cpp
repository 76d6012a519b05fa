// A reader of VS_VERSIONINFO blocks. Every node of the tree is
//   WORD wLength; WORD wValueLength; WORD wType; WCHAR key[] (NUL-ended);
//   padding to 32 bits; value; padding to 32 bits; child nodes
// where wLength covers the node and its children, and wValueLength counts
// WCHARs for a text value (wType 1) and bytes for a binary one (wType 0).
// The padding is relative to the start of the block. A node that reaches
// past its parent, or a value past its node, makes the block malformed.
#include "platform/version_info.h"

#include <algorithm>
#include <optional>

namespace larkspur {
namespace {

struct Node {
    size_t end = 0;        // one past the node's last byte
    std::wstring key;      // without its NUL
    size_t value = 0;      // offset of the value
    size_t valueSize = 0;  // in bytes
    size_t children = 0;   // offset of the first child; `end` when none
};

class Reader {
  public:
    explicit Reader(std::span<const uint8_t> block) : block_(block) {}

    uint16_t Word(size_t at) const {
        return static_cast<uint16_t>(block_[at] | block_[at + 1] << 8);
    }

    // The node at `at`, which must end by `limit`.
    std::optional<Node> Parse(size_t at, size_t limit) const {
        if (at > limit || limit - at < 6) {
            return std::nullopt;
        }
        const size_t length = Word(at), valueLength = Word(at + 2), type = Word(at + 4);
        if (length < 6 || length > limit - at) {
            return std::nullopt;
        }
        Node node;
        node.end = at + length;
        size_t p = at + 6;
        for (;; p += 2) {
            if (node.end - p < 2) {
                return std::nullopt;  // the key runs past the node
            }
            if (Word(p) == 0) {
                break;
            }
            node.key += static_cast<wchar_t>(Word(p));
        }
        // Padding after the key and after the value may be left out where
        // nothing follows it.
        node.value = std::min(Align(p + 2), node.end);
        node.valueSize = type == 1 ? valueLength * 2 : valueLength;
        if (node.valueSize > node.end - node.value) {
            return std::nullopt;
        }
        node.children = std::min(Align(node.value + node.valueSize), node.end);
        return node;
    }

    // The child of `parent` whose key is `key`.
    std::optional<Node> Child(const Node& parent, std::wstring_view key) const {
        for (size_t at = parent.children; at < parent.end;) {
            std::optional<Node> child = Parse(at, parent.end);
            if (!child) {
                return std::nullopt;
            }
            if (SameKey(child->key, key)) {
                return child;
            }
            at = Align(child->end);
        }
        return std::nullopt;
    }

  private:
    static size_t Align(size_t offset) { return (offset + 3) & ~size_t{3}; }

    // Keys are ASCII; their case does not matter.
    static bool SameKey(std::wstring_view a, std::wstring_view b) {
        auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c; };
        if (a.size() != b.size()) {
            return false;
        }
        for (size_t i = 0; i < a.size(); ++i) {
            if (lower(a[i]) != lower(b[i])) {
                return false;
            }
        }
        return true;
    }

    std::span<const uint8_t> block_;
};

}  // namespace

std::wstring VersionInfoString(std::span<const uint8_t> block, std::wstring_view name) {
    const Reader reader(block);
    std::optional<Node> root = reader.Parse(0, block.size());
    if (!root || root->key != L"VS_VERSION_INFO") {
        return std::wstring();
    }
    std::optional<Node> translation;
    if (std::optional<Node> var = reader.Child(*root, L"VarFileInfo")) {
        translation = reader.Child(*var, L"Translation");
    }
    if (!translation || translation->valueSize < 4) {
        return std::wstring();
    }
    // The first entry: a language and a code page, as the table's key
    // spells them ("041104b0").
    const uint32_t id =
        uint32_t{reader.Word(translation->value)} << 16 | reader.Word(translation->value + 2);
    std::wstring table;
    for (int shift = 28; shift >= 0; shift -= 4) {
        table += L"0123456789abcdef"[id >> shift & 0xF];
    }
    std::optional<Node> value;
    if (std::optional<Node> strings = reader.Child(*root, L"StringFileInfo")) {
        if (std::optional<Node> found = reader.Child(*strings, table)) {
            value = reader.Child(*found, name);
        }
    }
    if (!value) {
        return std::wstring();
    }
    std::wstring text;
    const size_t end = value->value + value->valueSize;
    for (size_t p = value->value; p + 2 <= end && reader.Word(p) != 0; p += 2) {
        text += static_cast<wchar_t>(reader.Word(p));
    }
    return text;
}

}  // namespace larkspur
