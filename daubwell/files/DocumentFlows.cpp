#include "DocumentFlows.h"

#include <algorithm>

#include "../canvas/Lighting.h"
#include "ImageCache.h"
#include "PaintDocument.h"
#include "PictureReaders.h"

namespace daubwell {

bool saveAs(Document& doc, FileDialogs& dialogs, Messages& messages) {
  auto path = dialogs.savePath(kDocumentFilter);
  if (!path) return false;
  if (!writeDocument(doc.canvas, *path)) {
    messages.show(kSaveFailedText, "Error", MessageIcon::Error);
    return false;  // still unsaved: closing asks again
  }
  doc.modified = false;
  return true;
}

bool confirmDiscard(Document& doc, FileDialogs& dialogs, Messages& messages) {
  if (!doc.modified) return true;
  switch (messages.ask(kSaveChangesText, "Save Changes?", MessageButtons::YesNoCancel,
                       MessageIcon::Warning)) {
    case Answer::Yes:
      // A save that was cancelled or failed keeps the painting.
      return saveAs(doc, dialogs, messages);
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

bool importImage(Document& doc, const std::string& path, Messages& messages) {
  DisplaySurface picture;
  // One message for a picture that does not load: the reader's own warning is not shown.
  if (!readPictureFile(picture, path).ok()) {
    messages.show(kImageFailedText, "Error", MessageIcon::Error);
    return false;
  }
  // The document size limit holds for imported pictures too.
  if (!checkDocumentSize(picture.width(), picture.height(), messages)) return false;
  doc.canvas.create(picture.width(), picture.height());
  doc.canvas.kind = kDocumentCanvas;
  for (uint32_t y = 0; y < picture.height(); ++y) {
    for (uint32_t x = 0; x < picture.width(); ++x) {
      const uint32_t c = picture.pixel(x, y);
      const uint8_t r = uint8_t(c >> 16), g = uint8_t(c >> 8), b = uint8_t(c);
      const uint8_t m = std::min({r, g, b});
      CanvasPixel& p = doc.canvas.at(x, y);
      p.red = uint8_t(r - m);
      p.green = uint8_t(g - m);
      p.blue = uint8_t(b - m);
      p.highlight = m;
      p.shading = 255;
      p.height = 1.0f;
    }
  }
  doc.notifyResized();
  doc.history.reset();
  doc.canvas.invalidateLighting();
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
