#pragma once

#include <optional>
#include <string>
#include <vector>

#include <vdacheck/model/vda_cons_segment.h>

class vdaConsEval;
class vdaSurfEval;

// Closes the gap between two consecutive trimmed curves of a face boundary, in the surface's parameters so
// that it closes in space too. Where the two cons cross near the gap, the pieces are trimmed to the
// crossing (no geometry moves; the boundary gains or loses the bit between); otherwise, where both pieces
// end at an end of their cons, those ends meet at their midpoint, each cons changed by a blend on its end
// segment that keeps its slope there.
class vdcLoopHealer {
public:
    // One piece of a boundary: its cons and range.
    struct Piece {
        const vdaConsEval* cons;
        double w1, w2;
    };
    struct Fix {
        bool by_trims = false;
        double end = 0.0;    // by trims: the new end of the first piece
        double start = 0.0;  // and the new start of the second
        // By ends: the new segments of the first piece's cons and of the second's (one list when both are
        // the same cons).
        std::vector<std::vector<vdaConsSegment>> segments;
        double displacement = 0.0;
    };

    explicit vdcLoopHealer(double tolerance) noexcept : tolerance_(tolerance) {}
    // The fix for the joint from `first` to `second` on `surf`, or nothing with why.
    std::optional<Fix> heal(const vdaSurfEval& surf, const Piece& first, const Piece& second, std::string& why) const;

private:
    std::optional<Fix> by_trims(const vdaSurfEval& surf, const Piece& first, const Piece& second) const;
    std::optional<Fix> by_ends(const vdaSurfEval& surf, const Piece& first, const Piece& second,
                               std::string& why) const;
    double tolerance_;
};
