#pragma once
#include "app/Services.h"

namespace kelvane::ui {

// One image from the first scanner or camera the system's scanner access finds.
class TSaneScanner final : public TScanner {
public:
  Result<std::optional<TBitmap32>> Acquire() override;
};

}  // namespace kelvane::ui
