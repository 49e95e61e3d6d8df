#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>

class vdaTrimmedCurve;

// A chain of trimmed curves on one surface, as a face boundary or a side of a topology pair lists them:
// piece k is the range [w1, w2] of its cons's own parameter (w1 > w2 runs against the cons), evaluated
// on the given surface. Each piece is walked by x from 0 (at w1) to 1 (at w2); derivatives are with
// respect to x, so they point the way the chain runs. On a breakpoint of the cons the segment inside
// the piece is taken.
class vdcPieceChain {
public:
    struct Piece {
        vdaConsEval cons;
        double w1;
        double w2;
    };

    explicit vdcPieceChain(const vdaSurfEval& surface) noexcept : surface_(surface) {}
    // Appends a piece; false, with `why`, when its cons is missing, of the wrong type or cannot be
    // evaluated, or its range is empty or leaves the cons's parameter range.
    bool add(const vdaTrimmedCurve& piece, std::string& why);

    // True for a cons segment that is a straight line: every coefficient beyond the linear one is 0.
    static bool straight(const vdaConsEval::Segment& segment) noexcept;

    int size() const noexcept { return static_cast<int>(pieces_.size()); }
    const Piece& piece(int k) const noexcept { return pieces_[static_cast<std::size_t>(k)]; }
    const vdaSurfEval& surface() const noexcept { return surface_; }

    double w(int k, double x) const noexcept
    {
        const Piece& p = piece(k);
        return p.w1 + x * (p.w2 - p.w1);
    }
    // (s, t) and its derivatives with respect to x.
    vdaConsSample uv(int k, double x, int derivatives) const noexcept;
    // The point in space and its derivatives with respect to x.
    vdaCurveSample sample(int k, double x, int derivatives) const noexcept
    {
        return surface_.sample_along(uv(k, x, std::max(derivatives, 1)), derivatives);
    }
    giPoint3 point(int k, double x) const noexcept { return sample(k, x, 0).point; }
    // The surface's normal vector (dS/ds x dS/dt, not unitized) where the chain is, and the patch it
    // is taken from (on a seam, the one the chain moves into).
    struct Normal {
        giVector3 vector;
        int patch_u = 0;
        int patch_v = 0;
    };
    Normal normal(int k, double x) const noexcept;

private:
    vdaSurfEval surface_;
    std::vector<Piece> pieces_;
};
