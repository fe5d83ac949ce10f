#pragma once
#include <cstdint>
#include <string>

#include "Canvas.h"
#include "Messages.h"
#include "UndoHistory.h"

namespace daubwell {

inline constexpr uint32_t kMinDocumentSide = 1;
inline constexpr uint32_t kMaxDocumentSide = 5000;
inline constexpr uint32_t kStartDocumentSide = 600;

inline constexpr const char* kBeginDrawingText = "Click on the canvas to begin drawing!";

// What the shell does when the document changes shape; the application recreates its
// canvas window and refreshes its tool windows. The defaults do nothing.
class DocumentObserver {
public:
  virtual ~DocumentObserver() = default;
  virtual void canvasResized() {}
  virtual void toolWindowsChanged() {}
};

// The one painting of the program with its history and view state.
struct Document {
  Canvas canvas;
  UndoHistory history;
  bool modified = false;   // unsaved changes
  double zoom = 1.0;
  std::string statusText;
  DocumentObserver* observer = nullptr;

  // Records the canvas before an action; `changesCanvas` false records nothing.
  void pushUndo(bool changesCanvas = true);
  RestoreResult undo(Messages& messages);
  RestoreResult redo(Messages& messages);

  void notifyResized();
};

// The New/Image Size check: shows the size warning and returns false when a side is
// outside 1..5000.
bool checkDocumentSize(int64_t width, int64_t height, Messages& messages);

// Creates a blank document canvas (no check, no history change).
void newDocument(Document& doc, uint32_t width, uint32_t height);

// File > New after the size dialog: checks, forgets the history, makes the canvas.
bool newDocumentChecked(Document& doc, int64_t width, int64_t height, Messages& messages);

// Image > Image Size after the size dialog: checks, records, resamples, relights.
bool imageSize(Document& doc, int64_t width, int64_t height, Messages& messages);

}  // namespace daubwell
