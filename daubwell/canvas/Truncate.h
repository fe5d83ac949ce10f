#pragma once
#include <climits>

namespace daubwell {

// Float-to-int truncation towards zero, as every conversion of the paint engine does.
// NaN and values beyond int give INT_MIN, which is what the processor's own conversion
// gives, instead of undefined behaviour.
inline int truncInt(double v) { return v > -2147483649.0 && v < 2147483648.0 ? int(v) : INT_MIN; }

}  // namespace daubwell
