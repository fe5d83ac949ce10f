#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../drape/FollowFolds.h"
#include "../drape/GridTools.h"
#include "../raster/Progress.h"
#include "../raster/Result.h"
#include "../raster/TBitmap32.h"

// What the document session needs of the platform, each a few methods: the Qt windows
// give one implementation, the tests a scripted one.
namespace kelvane {

enum class TAnswer { Ok, Yes, No, Cancel };
enum class TButtons { Ok, YesNo, YesNoCancel };
enum class TMessageKind { Information, Warning, Error, Question };

class TMessages {
public:
  virtual ~TMessages() = default;
  virtual void Show(const std::string& text, TMessageKind kind = TMessageKind::Error) = 0;
  virtual TAnswer Ask(const std::string& text, TButtons buttons) = 0;
};

// The input prompt: the answer, or nothing on Cancel.
class TPrompt {
public:
  virtual ~TPrompt() = default;
  virtual std::optional<std::string> Prompt(const std::string& title, const std::string& text,
                                            const std::string& initial) = 0;
};

// A file filter in the "Description (*.a *.b)|*.a;*.b" form, pairs joined by "|".
class TFileDialogs {
public:
  virtual ~TFileDialogs() = default;
  virtual std::optional<std::string> OpenFile(const std::string& filter, const std::string& defaultExt) = 0;
  // Asks before overwriting; `suggested` is the name the dialog starts with.
  virtual std::optional<std::string> SaveFile(const std::string& filter, const std::string& defaultExt,
                                              const std::string& suggested) = 0;
};

class TClipboard {
public:
  virtual ~TClipboard() = default;
  virtual void SetPicture(const TBitmap32& picture) = 0;
  // The clipboard's picture; empty when it holds none.
  virtual Result<TBitmap32> Picture() = 0;
};

// The settings store, by property name.
class TSettingsStore {
public:
  virtual ~TSettingsStore() = default;
  virtual std::optional<std::string> Read(const std::string& key) = 0;
  virtual void Write(const std::string& key, const std::string& value) = 0;
  virtual std::optional<std::vector<std::string>> ReadList(const std::string& key) = 0;
  virtual void WriteList(const std::string& key, const std::vector<std::string>& values) = 0;
};

// The hourglass while something long runs on the interface thread.
class TBusyCursor {
public:
  virtual ~TBusyCursor() = default;
  virtual void SetBusy(bool busy) = 0;
};

// One image from a scanner or camera; nothing when the user cancels; a failure that
// says why when there is no device.
class TScanner {
public:
  virtual ~TScanner() = default;
  virtual Result<std::optional<TBitmap32>> Acquire() = 0;
};

// Work that runs off the interface thread: Work on a worker (reporting through the
// progress it is given), then Done back on the interface thread.
class TJob {
public:
  virtual ~TJob() = default;
  virtual void Work(TProgress& progress) = 0;
  virtual void Done() = 0;
};

class TJobRunner {
public:
  virtual ~TJobRunner() = default;
  virtual void Start(std::unique_ptr<TJob> job) = 0;
  // Returns when every started job is done (the interface keeps painting meanwhile).
  virtual void WaitAll() = 0;
};

// The services one document session uses.
struct TServices {
  TMessages* Messages = nullptr;
  TPrompt* Prompt = nullptr;
  TFileDialogs* Dialogs = nullptr;
  TClipboard* Clipboard = nullptr;
  TBusyCursor* Cursor = nullptr;
  TJobRunner* Jobs = nullptr;
  TProgress* Progress = nullptr;
  TDivideGridPrompt* DivideGrid = nullptr;  // the "Divide Grid" dialog
  TFoldPrompt* FoldOptions = nullptr;       // the "Follow Folds" dialog
};

// The hourglass for a scope.
class TBusyScope {
public:
  explicit TBusyScope(TBusyCursor* c) : c_(c) {
    if (c_) c_->SetBusy(true);
  }
  ~TBusyScope() {
    if (c_) c_->SetBusy(false);
  }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

private:
  TBusyCursor* c_;
};

}  // namespace kelvane
