#pragma once
#include <string>

#include "drape/KVXType.h"

// The parameter block's fields as the command line sets them, each with the values it
// takes (the ranges of the Texture Params window and the object's check boxes).
namespace kelvane::cli {

// Sets FIELD of the block from its text; `what` names it in the message of a value out
// of range ("--tile X must be 0.001..100, got 0"). Name is UTF-8 text, stored in the
// file's code page. Unknown fields and bad values are usage errors.
void SetParamField(TKVXParamBlock& p, const std::string& field, const std::string& text, const std::string& what);
inline void SetParamField(TKVXParamBlock& p, const std::string& field, const std::string& text) {
  SetParamField(p, field, text, field);
}

// The longest Name the block holds, in characters of the code page.
inline constexpr size_t kMaxNameLength = 100;
// A name given on the command line in the file's code page, or a usage error naming it.
std::string NameInCodePage(const std::string& utf8, const std::string& what, size_t maxLength);

}  // namespace kelvane::cli
