#pragma once
// Strict validation of a parsed GPI file against the rules our writer keeps:
// record placement and order, sub-record order, points inside their areas,
// alert flags, references, bitmap header sizes and the end record.
#include <functional>
#include <vector>

#include "gpi/GpiReader.h"

namespace kestro {

// Every problem of the file: those met while reading and those of the rules
// above, ordered by offset (problems at one offset keep their finding order).
std::vector<TGpiProblem> CheckGpi(const TGpiFile& file);
// The same, handed to onProblem one by one without keeping them all; returns
// how many there were.
std::size_t CheckGpi(const TGpiFile& file, const std::function<void(const TGpiProblem&)>& onProblem);

// How far (in degrees) a point may lie outside its area's box at the given
// coordinate: the point store matches points within 0.00001 degrees of a box
// on single-precision values, so allow 0.00002 degrees plus the rounding of
// both values to single precision and the truncation to semicircles.
double GpiBoxTolerance(double degrees);

}  // namespace kestro
