#pragma once

namespace kelvane {

// Where a selection edit leaves its undo record: the current mask just before the edit
// and just after it. The document's history implements it; the engine knows no more.
class TMaskRecorder {
public:
  virtual ~TMaskRecorder() = default;
  virtual void RecordMaskBefore() = 0;
  virtual void RecordMaskAfter() = 0;
};

}  // namespace kelvane
