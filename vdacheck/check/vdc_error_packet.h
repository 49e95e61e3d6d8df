#pragma once

#include <vector>

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/util/ut_string.h>

class vdaObjectPtr;
class vdcErrorPacket;
class vdcLog;

// A repair function: called with the entity the packet is logged under, the packet and the log it
// was taken from; returns non-zero when it repaired the problem.
using vdcErrorFunction = int (*)(const vdaObjectPtr&, const vdcErrorPacket&, const vdcLog&);

// One problem found in the model: its fixed message, the integers that locate it (0-based indices,
// outermost first), the doubles that measure it, and the repair function (null when the problem
// cannot be repaired).
class VDC_API vdcErrorPacket {
public:
    vdcErrorPacket() = default;
    vdcErrorPacket(const vdcErrorPacket&) = default;
    vdcErrorPacket(vdcErrorPacket&&) noexcept = default;
    void operator=(const vdcErrorPacket& other);
    void operator=(vdcErrorPacket&& other) noexcept;
    ~vdcErrorPacket() = default;

    void set_error_function(vdcErrorFunction f) noexcept { function_ = f; }
    vdcErrorFunction error_function() const noexcept { return function_; }
    void set_error_message(const utString& text) noexcept { message_ = text; }
    const utString& error_message() const noexcept { return message_; }

    void add_int(int value) { ints_.push_back(value); }
    int get_int(int i) const noexcept { return ints_[static_cast<std::size_t>(i)]; }
    int num_int() const noexcept { return static_cast<int>(ints_.size()); }
    void add_dbl(double value) { doubles_.push_back(value); }
    double get_dbl(int i) const noexcept { return doubles_[static_cast<std::size_t>(i)]; }
    int num_dbl() const noexcept { return static_cast<int>(doubles_.size()); }

private:
    vdcErrorFunction function_ = nullptr;
    utString message_;
    std::vector<int> ints_;
    std::vector<double> doubles_;
};
