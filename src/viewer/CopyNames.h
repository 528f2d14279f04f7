#pragma once
// Names of the grey-scale and sepia copies: the source's own extension replaced
// by a suffix for the kind of copy, and the test that keeps a copy from being
// copied again in the same way.
#include <optional>
#include <string>
#include <string_view>

namespace mirulo::viewer {

enum class CopyKind { Grey, Sepia };

// The target path for a copy of `source`, or nullopt when no copy is made: the
// lower-cased extension (from the last '.') is neither ".jpg" nor ".png", or
// the source's last 7 characters already equal the target's (a copy of this
// kind; letter case counts). The suffix is "-モノ" or "-セピ" followed by ".jpg"
// for a ".jpg" source and ".png" otherwise, always in lower case.
std::optional<std::wstring> CopyTargetPath(std::wstring_view source, CopyKind kind);

} // namespace mirulo::viewer
