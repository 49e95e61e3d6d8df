#pragma once

#include <vdacheck/check/vdc_export.h>

// The depth counter of a walk over the fix-node graph: the number of nodes entered and not yet left.
class VDC_API vdcTraveller {
public:
    vdcTraveller() = default;
    ~vdcTraveller() = default;

    void enters() noexcept { ++travelled; }
    void exits() noexcept { --travelled; }
    int distance_travelled() const noexcept { return travelled; }

private:
    int travelled = 0;
};
