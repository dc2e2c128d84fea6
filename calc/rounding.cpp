// Rounding of a computed amount to two decimals, ties to even.
#include "calc/calc.h"

#include <algorithm>
#include <cmath>

namespace calc {

double RoundHalfEven(double x, int digits) {
    if (!std::isfinite(x)) return x;
    // Powers of ten up to 10^22 are exact doubles, so the scale itself adds no rounding.
    double scale = 1;
    for (int i = std::clamp(digits, 0, 22); i > 0; --i) scale *= 10;

    // The tie test looks at the scaled double, not at the decimal that was typed: 2.675 x 100 is
    // exactly 267.5 in double arithmetic, so 2.675 becomes 2.68. Each step must round to double on
    // its own; a fused multiply-add here would see 267.4999... instead.
    const double scaled = x * scale;
    double whole = std::trunc(scaled);
    const double fraction = scaled - whole;
    const bool wholeIsOdd = std::fmod(whole, 2) != 0;
    if (fraction > 0.5 || (fraction == 0.5 && wholeIsOdd)) {
        whole += 1;
    } else if (fraction < -0.5 || (fraction == -0.5 && wholeIsOdd)) {
        whole -= 1;
    }
    return whole / scale;
}

}  // namespace calc
