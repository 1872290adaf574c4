#include "codec/formats/PcdToneCurve.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace codec {
namespace {

struct Knot {
    double input;
    double level;
};

// The fixed points: every 25th input, plus the input from which the curve stays at 255.
constexpr Knot kPcdsKnots[] = {{0, 0},     {25, 25},   {50, 49},   {75, 75},   {100, 101}, {125, 127},
                               {150, 153}, {175, 177}, {200, 199}, {225, 218}, {250, 233}, {275, 243},
                               {300, 249}, {325, 253}, {344, 255}, {350, 255}};
constexpr Knot kPcdKnots[] = {{0, 0},     {25, 25},   {50, 52},   {75, 80},   {100, 107}, {125, 134},
                              {150, 159}, {175, 183}, {200, 206}, {225, 225}, {250, 241}, {275, 250},
                              {300, 254}, {319, 255}, {325, 255}, {350, 255}};

// Tangents of a monotone cubic Hermite curve through the knots: zero at a flat segment or a turn, the
// mean of the neighbouring slopes elsewhere, shortened where they would overshoot.
std::vector<double> MonotoneTangents(std::span<const Knot> knots)
{
    const std::size_t segments = knots.size() - 1;
    std::vector<double> slope(segments);
    for (std::size_t k = 0; k < segments; ++k)
        slope[k] = (knots[k + 1].level - knots[k].level) / (knots[k + 1].input - knots[k].input);
    std::vector<double> tangent(knots.size());
    tangent[0] = slope[0];
    tangent[segments] = slope[segments - 1];
    for (std::size_t k = 1; k < segments; ++k)
        tangent[k] = slope[k - 1] * slope[k] <= 0 ? 0 : (slope[k - 1] + slope[k]) / 2;
    for (std::size_t k = 0; k < segments; ++k) {
        if (slope[k] == 0) {
            tangent[k] = tangent[k + 1] = 0;
            continue;
        }
        const double alpha = tangent[k] / slope[k];
        const double beta = tangent[k + 1] / slope[k];
        const double length = alpha * alpha + beta * beta;
        if (length > 9) {
            const double tau = 3 / std::sqrt(length);
            tangent[k] = tau * alpha * slope[k];
            tangent[k + 1] = tau * beta * slope[k];
        }
    }
    return tangent;
}

// Levels are rounded down, so the curve reaches 255 exactly at its saturation knot and not before.
PcdToneTable BuildCurve(std::span<const Knot> knots)
{
    const std::vector<double> tangent = MonotoneTangents(knots);
    PcdToneTable table{};
    std::size_t k = 0;
    for (int input = 0; input < kPcdToneInputs; ++input) {
        while (k + 2 < knots.size() && input > knots[k + 1].input) ++k;
        const double width = knots[k + 1].input - knots[k].input;
        const double t = (input - knots[k].input) / width;
        const double t2 = t * t, t3 = t2 * t;
        const double level = (2 * t3 - 3 * t2 + 1) * knots[k].level + (t3 - 2 * t2 + t) * width * tangent[k] +
                             (-2 * t3 + 3 * t2) * knots[k + 1].level + (t3 - t2) * width * tangent[k + 1];
        table[static_cast<std::size_t>(input)] = static_cast<std::uint8_t>(std::clamp(std::floor(level + 1e-9), 0.0, 255.0));
    }
    return table;
}

}  // namespace

const PcdToneTable& PcdToneCurve(bool pcdsPack)
{
    static const PcdToneTable kPcds = BuildCurve(kPcdsKnots);
    static const PcdToneTable kPcd = BuildCurve(kPcdKnots);
    return pcdsPack ? kPcds : kPcd;
}

}  // namespace codec
