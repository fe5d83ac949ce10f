#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace daubwell {

// One filter of an open or save dialog; the extension is also the default extension.
struct FileFilter {
  std::string_view description;
  std::string_view extension;
};

inline constexpr FileFilter kDocumentFilter{"Daubwell file", "dwp"};

// Open and save dialogs. The open dialog insists on an existing file; the save dialog
// asks before overwriting. Both return nothing when cancelled.
class FileDialogs {
public:
  virtual ~FileDialogs() = default;
  virtual std::optional<std::string> openPath(const FileFilter& filter) = 0;
  virtual std::optional<std::string> savePath(const FileFilter& filter) = 0;
};

}  // namespace daubwell
