#pragma once

#include <optional>
#include <utility>

// What an evaluator factory returns: the evaluator, or the reason why the entity cannot be evaluated
// (a short static text such as "segment order outside 2..25"). Entities that the structural checks
// reject are never evaluated, so that evaluation never meets a case it cannot handle.
//     const vdaEvalResult<vdaCurveEval> curve = vdaCurveEval::make(entity);
//     if (!curve) report(curve.why_not()); else use(curve->point(s));
template <class Evaluator>
class vdaEvalResult {
public:
    vdaEvalResult(Evaluator evaluator) noexcept : evaluator_(std::move(evaluator)) {}
    static vdaEvalResult refused(const char* why) noexcept { return vdaEvalResult(why); }

    explicit operator bool() const noexcept { return evaluator_.has_value(); }
    const Evaluator& operator*() const noexcept { return *evaluator_; }
    const Evaluator* operator->() const noexcept { return &*evaluator_; }
    // Null when there is an evaluator.
    const char* why_not() const noexcept { return why_; }

private:
    explicit vdaEvalResult(const char* why) noexcept : why_(why) {}
    std::optional<Evaluator> evaluator_;
    const char* why_ = nullptr;
};
