#pragma once
#include "../raster/BalanceTable.h"
#include "../raster/RotateByAngle.h"
#include "../raster/TBitmap32.h"

namespace kelvane {

// Exact pixel permutations. Rotate90 turns clockwise: the top-left pixel goes to the
// top-right corner; 90 and 270 swap width and height.
TBitmap32 Rotate90(const TBitmap32& b);
TBitmap32 Rotate180(const TBitmap32& b);
TBitmap32 Rotate270(const TBitmap32& b);
TBitmap32 FlipHorizontal(const TBitmap32& b);
TBitmap32 FlipVertical(const TBitmap32& b);

// "Constrain Proportions": the other side for a typed one, round(other * typed / side).
int ConstrainedSide(int typed, int typedSideOfDocument, int otherSideOfDocument);

// The "Balans" dialog's work: the preview is the backup through the table; OK makes the
// base image the adjusted backup; Cancel puts the backup back.
class TBalanceSession {
public:
  explicit TBalanceSession(TBitmap32& previewed) : previewed_(previewed), backup_(previewed) {}
  void Preview(const BalanceInputs& inputs);
  void Ok(TBitmap32& base, const BalanceInputs& inputs) const;
  void Cancel() { previewed_ = backup_; }

private:
  TBitmap32& previewed_;
  TBitmap32 backup_;
};

}  // namespace kelvane
