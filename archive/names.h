// Entry names are Shift-JIS (code page 932) bytes.
#pragma once

#include <string>

namespace pbx {

// The name as UTF-8; a name that does not decode is returned unchanged.
std::string Cp932ToUtf8(const std::string& cp932);

// The name as code page 932; false when some character has no encoding.
bool Utf8ToCp932(const std::string& utf8, std::string* cp932);

}  // namespace pbx
