#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "../canvas/Canvas.h"
#include "../canvas/Document.h"
#include "../canvas/Messages.h"
#include "Result.h"

namespace daubwell {

// The ".dwp" paint document: an 80-byte header (magic 24279, version, width, height,
// 64 reserved bytes), then the body. Version 1 bodies are the raw 12-byte records;
// version 2 (the one written) holds red, green, blue, highlight and shading as level-1
// coded planes, then the heights as raw float32.
inline constexpr int32_t kDocumentMagic = 24279;
inline constexpr int32_t kDocumentVersion = 2;
inline constexpr size_t kDocumentHeaderSize = 80;

inline constexpr const char* kCannotOpenText = "The file you selected could not be opened!";
inline constexpr const char* kNotDaubwellText =
    "The file you selected is either corrupt \nor not a valid Daubwell file.";
inline constexpr const char* kLaterVersionText =
    "The file you selected requires a later version of Daubwell!";

struct DocumentHeader {
  int32_t magic = 0, version = 0, width = 0, height = 0;
};

// Why a document could not be read.
enum class DocumentFault {
  NotDaubwell,   // wrong magic
  Version3,      // refused without a message
  LaterVersion,  // any version but 1, 2 and 3
  Damaged,       // right magic and version, but the body or the size does not hold
};

struct DocumentError {
  DocumentFault fault;
  std::string detail;  // what exactly was wrong, for logs and the command line
};

// The records of a document read from a file, not yet in any canvas.
struct DocumentContent {
  DocumentHeader header;
  std::vector<CanvasPixel> pixels;
};

Result<DocumentHeader> parseDocumentHeader(std::span<const uint8_t> bytes);

// Reads a whole document from memory. Lengths are checked against what the bytes can
// supply before anything is allocated.
struct ParsedDocument {
  bool ok() const { return !error.has_value(); }
  std::optional<DocumentError> error;
  DocumentContent content;
};
ParsedDocument parseDocument(std::span<const uint8_t> bytes);

// The file's bytes for a canvas (version 2).
std::vector<uint8_t> encodeDocument(const Canvas& canvas);

// Loads the file into the document canvas. Shows the message of the fault (none for
// version 3) and returns false on failure; the painting is then unchanged. The undo
// history is reset once the file could be opened.
bool readDocument(Document& doc, const std::string& path, Messages& messages);

// Saves the canvas as a version 2 document. The file is written beside the target under
// a temporary name and renamed over it only when complete.
bool writeDocument(const Canvas& canvas, const std::string& path);

}  // namespace daubwell
