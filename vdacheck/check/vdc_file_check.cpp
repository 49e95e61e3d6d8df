#include <vdacheck/check/vdc_file_check.h>

#include <vdacheck/check/vdc_fix_node.h>
#include <vdacheck/check/vdc_check_dispatch.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_file_it.h>
#include <vdacheck/model/vda_object_ptr.h>

vdcFileCheck::vdcFileCheck() : reset_logs(1) {}

vdcFileCheck::~vdcFileCheck() = default;

int vdcFileCheck::check(const vdaFile& file)
{
    reset();
    reset_logs = 0;
    vdaFileIT it(file, 0);
    while (++it)
        check(vdaObjectPtr(it()));
    reset_logs = 1;
    return error_log.empty();
}

int vdcFileCheck::check(const vdaObjectPtr& entity)
{
    const utString name = entity->name();
    if (name_stack.empty())
        reset();
    name_stack.push_back(name);
    if (checked_names.try_emplace(name, '\0').second)
        do_check(entity);
    const int logged = error_log.num_logged(name);
    if (logged != 0)
        create_fix_nodes();
    name_stack.pop_back();
    return logged == 0 ? 1 : 0;
}

void vdcFileCheck::do_check(const vdaObjectPtr& entity) { vdc_dispatch_check(*entity(), error_log, *this); }

void vdcFileCheck::reset()
{
    if (!reset_logs)
        return;
    error_log.clear();
    fixed_log.clear();
    checked_names.clear();
}

vdcFixNode& vdcFileCheck::node_of(const utString& name)
{
    auto [node, created] = fix_nodes.try_emplace(name);
    if (created)
        *node = std::make_unique<vdcFixNode>();
    return **node;
}

void vdcFileCheck::create_fix_nodes()
{
    // The faulty entity's name is on top of the stack and, when a reference check led to it, the
    // referring entity's name lies right below. Only these two are looked at; the stack is left as it
    // was found.
    const std::size_t depth = name_stack.size();
    const utString& faulty = name_stack[depth - 1];
    if (depth == 1) {
        node_of(faulty);
        return;
    }
    const utString& referring = name_stack[depth - 2];
    vdcFixNode& faulty_node = node_of(faulty);
    vdcFixNode& referring_node = node_of(referring);
    referring_node.depends_on(&faulty_node);
    faulty_node.used();
}
