#pragma once

#include <memory>
#include <string>
#include <vector>

#include <vdacheck/vdacheck.h>

// A checker that lets the tests see and drive its protected state: the name stack, the fix-node table
// and the reset flag.
class CheckerProbe : public vdcFileCheck {
public:
    // check(entity) as if the check of `referring` had reached the entity through a reference.
    int check_from(const utString& referring, const vdaObjectPtr& entity)
    {
        name_stack.push_back(referring);
        const int result = check(entity);
        name_stack.pop_back();
        return result;
    }

    const vdcFixNode* node(const char* name) const
    {
        const auto* node = fix_nodes.find(name);
        return node ? node->get() : nullptr;
    }
    int num_nodes() const { return static_cast<int>(fix_nodes.size()); }
    std::vector<std::string> roots() const
    {
        std::vector<std::string> names;
        fix_nodes.for_each([&](const utString& name, const std::unique_ptr<vdcFixNode>& node) {
            if (!node->is_used())
                names.emplace_back(name.view());
        });
        return names;
    }
    bool idle() const { return name_stack.empty(); }
    int reset_flag() const { return reset_logs; }
};
