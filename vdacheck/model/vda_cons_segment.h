#pragma once

#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/model/vda_segment.h>

// A segment of a curve on a surface: coefficients are (u, v) points in the surface's parameter plane.
using vdaConsSegment = vdaSegment<giPoint2>;
