#include "DocumentFlows.h"

#include "../canvas/Lighting.h"
#include "PaintDocument.h"

namespace daubwell {

void saveAs(Document& doc, FileDialogs& dialogs, Messages& messages) {
  auto path = dialogs.savePath(kDocumentFilter);
  if (!path) return;
  if (!writeDocument(doc.canvas, *path)) messages.show(kSaveFailedText, "Error", MessageIcon::Error);
  doc.modified = false;
}

bool confirmDiscard(Document& doc, FileDialogs& dialogs, Messages& messages) {
  if (!doc.modified) return true;
  switch (messages.ask(kSaveChangesText, "Save Changes?", MessageButtons::YesNoCancel,
                       MessageIcon::Warning)) {
    case Answer::Yes:
      saveAs(doc, dialogs, messages);
      return true;
    case Answer::No:
      return true;
    default:
      return false;
  }
}

bool openDocumentFile(Document& doc, const std::string& path, Messages& messages) {
  if (!readDocument(doc, path, messages)) return false;
  doc.history.reset();
  doc.canvas.kind = kDocumentCanvas;
  doc.notifyResized();
  relightAll(doc.canvas);
  doc.modified = false;
  return true;
}

bool openDocument(Document& doc, FileDialogs& dialogs, Messages& messages) {
  if (!confirmDiscard(doc, dialogs, messages)) return false;
  auto path = dialogs.openPath(kDocumentFilter);
  if (!path) return false;
  if (!openDocumentFile(doc, *path, messages)) {
    messages.show(kLoadFailedText, "Error", MessageIcon::Error);
    return false;
  }
  return true;
}

}  // namespace daubwell
