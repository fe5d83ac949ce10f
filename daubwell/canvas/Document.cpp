#include "Document.h"

#include <cstdio>

#include "Lighting.h"

namespace daubwell {

void Document::pushUndo(bool changesCanvas) {
  if (history.push(canvas, changesCanvas)) modified = true;
}

namespace {

RestoreResult afterRestore(Document& doc, RestoreResult r) {
  if (r == RestoreResult::Restored || r == RestoreResult::SizeChanged) {
    doc.modified = true;
    if (r == RestoreResult::SizeChanged) doc.notifyResized();
    if (doc.observer) doc.observer->toolWindowsChanged();
  }
  return r;
}

}  // namespace

RestoreResult Document::undo(Messages& messages) {
  return afterRestore(*this, history.undo(canvas, messages));
}

RestoreResult Document::redo(Messages& messages) {
  return afterRestore(*this, history.redo(canvas, messages));
}

void Document::notifyResized() {
  if (observer) observer->canvasResized();
}

bool checkDocumentSize(int64_t width, int64_t height, Messages& messages) {
  if (width >= kMinDocumentSide && height >= kMinDocumentSide && width <= kMaxDocumentSide &&
      height <= kMaxDocumentSide)
    return true;
  char text[160];
  std::snprintf(text, sizeof text,
                "The document can be no less than 1x1 pixels and no greater than %dx%d pixels!",
                int(kMaxDocumentSide), int(kMaxDocumentSide));
  messages.show(text, "Warning", MessageIcon::Warning);
  return false;
}

void newDocument(Document& doc, uint32_t width, uint32_t height) {
  doc.canvas.create(width, height);
  doc.canvas.invalidateLighting();
  doc.canvas.kind = kDocumentCanvas;
  doc.statusText = kBeginDrawingText;
  doc.zoom = 1.0;
  doc.notifyResized();
}

bool newDocumentChecked(Document& doc, int64_t width, int64_t height, Messages& messages) {
  if (!checkDocumentSize(width, height, messages)) return false;
  doc.history.reset();
  newDocument(doc, uint32_t(width), uint32_t(height));
  doc.modified = false;
  return true;
}

bool imageSize(Document& doc, int64_t width, int64_t height, Messages& messages) {
  if (!checkDocumentSize(width, height, messages)) return false;
  doc.pushUndo();
  doc.canvas.resample(uint32_t(width), uint32_t(height));
  doc.notifyResized();
  relightAll(doc.canvas);
  return true;
}

}  // namespace daubwell
