// OVAxisFormat: how the numbers at the divisions of an axis are printed. Pure
// functions over 32-bit values, computed in extended precision.
#pragma once

#include <cstdint>
#include <string>

// X rounded half away from zero to Decimals places; Decimals outside 0..5 counts as 5.
// The rounding works on the shortest decimal that reads back as X, the number that X stands
// for: 1.005f gives 1.01 although its binary value lies just below 1.005. The axis numbers
// round the same way.
float RoundToDecimals(int Decimals, float X);

// Fewest decimals (at most 5) that reproduce X to six significant places.
// Terminates for every input: infinity gives 0, NaN gives 5.
int DecimalsNeeded(float X);

// Character width and decimals that Count equidistant numbers from First to Last
// need: width * 256 + decimals, the width counting sign and decimal point.
// Count < 2 measures First alone.
uint16_t LabelFormat(int Count, float First, float Last);

// Power of ten, a multiple of 3, to factor out of an axis running from A to B
// (0 when both ends lie within 0.000999 .. 10000 in magnitude, when both are 0,
// or when an end is not finite).
int EngineeringExponent(float A, float B);

// Value in fixed-point notation with the given decimals (0..18), "." as decimal point,
// rounded as RoundToDecimals rounds; "-" only when a non-zero digit follows, so a value
// that prints as zero has no sign. "INF", "-INF" or "NAN" for non-finite values.
std::string AxisNumberText(float value, int decimals);
