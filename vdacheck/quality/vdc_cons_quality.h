#pragma once

class vdaCons;
class vdcQualityCollector;

// The quality rules of a CONS, on its own surface: how far it strays from its space curve, whether it
// leaves its surface's parameter range, and the gap at each joint of consecutive segments.
class vdcConsQuality {
public:
    explicit vdcConsQuality(vdcQualityCollector& out) noexcept : out_(out) {}
    void measure(const vdaCons& cons) const;

private:
    vdcQualityCollector& out_;
};
