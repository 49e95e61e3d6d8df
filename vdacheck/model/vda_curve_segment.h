#pragma once

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/model/vda_segment.h>

// A segment of a space curve: coefficients are points in space.
using vdaCurveSegment = vdaSegment<giPoint3>;
