#pragma once
#include <optional>
#include <string>
#include <string_view>

// Names and paths in project files are single-byte text in the Windows-1252 code page;
// the command line speaks UTF-8.
namespace kelvane::cli {

// Every byte has a character: the five bytes Windows-1252 leaves undefined become the
// control characters of the same number, so any text converts and comes back.
std::string CodePageToUtf8(std::string_view bytes);
// Nothing when the text is not UTF-8 or holds a character the code page lacks.
std::optional<std::string> Utf8ToCodePage(std::string_view utf8);

}  // namespace kelvane::cli
