#pragma once
// Truncating the weighted sums of the resizes. Their weights add up to the divisor only up to rounding,
// so a sum that is a whole number in exact arithmetic (every sum over a flat area) may come out a hair
// below it, and plain truncation would then give the next lower value: a flat 255 area resized to 254.
// A slack of a billionth lifts those sums back; it changes no sum that lies further below a whole number.

namespace codec {

inline constexpr double kWeightedSumSlack = 1e-9;

inline int TruncateWeightedSum(double sum)
{
    return static_cast<int>(sum + kWeightedSumSlack);
}

}  // namespace codec
