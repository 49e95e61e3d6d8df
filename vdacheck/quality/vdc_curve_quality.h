#pragma once

class vdaCurve;
class vdcQualityCollector;

// The quality rules of a CURVE: the gap and the kink at each joint of consecutive segments, and the
// arc length of each segment.
class vdcCurveQuality {
public:
    explicit vdcCurveQuality(vdcQualityCollector& out) noexcept : out_(out) {}
    void measure(const vdaCurve& curve) const;

private:
    vdcQualityCollector& out_;
};
