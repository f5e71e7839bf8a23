#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// UTF-16 to UTF-8, surrogate pairs joined; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The same for a name read from disk that is to be shown and compared as text:
// nothing is dropped or cut. Control characters (U+0000-U+001F, U+007F-U+009F)
// are written as "\xNN" and an unpaired surrogate as "\uDXXX" (hex, upper case),
// so a name with a NUL in it stays whole and visible.
std::string Utf16ToEscapedUtf8(std::u16string_view text);

} // namespace quorvane
