#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/model/vda_object.h>
#include <vdacheck/util/ut_export.h>

// The HEADER statement: the file's name and its free-text records, kept verbatim.
class VDA_API vdaHeader : public vdaObject {
public:
    static const TypeInfo id;
    explicit vdaHeader(const utString& name, std::vector<std::string> text = {})
        : vdaObject(name), text_(std::move(text))
    {
    }
    const TypeInfo& type() const noexcept override { return id; }

    int num_text_lines() const noexcept { return static_cast<int>(text_.size()); }
    std::string_view text_line(int i) const noexcept { return text_[static_cast<std::size_t>(i)]; }
    void add_text_line(std::string_view line)
    {
        text_.emplace_back(line);
        mark_changed();
    }

private:
    std::vector<std::string> text_;
};
