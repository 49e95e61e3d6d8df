#include <vdc_py_model.h>

#include <chrono>
#include <string>

#include <vdc_py_error.h>

namespace {

std::int64_t now_ns() noexcept
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

vdcPyModel::Use::Use(vdcPyModel& model) : model_(model)
{
    if (model.busy_.exchange(true, std::memory_order_acquire))
        throw vdcPyError(vdcPyError::Kind::busy,
                         "the model is in use by another call (a model serves one thread at a time)");
    model.file_->make_current();
}

void vdcPyModel::refuse_views(const char* what) const
{
    const long n = views_.load();
    if (n > 0)
        throw vdcPyError(vdcPyError::Kind::viewed,
                         std::to_string(n) + (n == 1 ? " NumPy array still views" : " NumPy arrays still view") +
                             " values of this model's entities, which " + what +
                             " may delete; delete the arrays, or keep copies (numpy.array(a)), first");
}

vdcPyModel::Interval::Interval(Times& times) noexcept : times_(times) { times_.first.store(now_ns()); }

vdcPyModel::Interval::~Interval() { times_.second.store(now_ns()); }
