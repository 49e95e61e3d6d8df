#include <algorithm>
#include <utility>
#include <vector>

#include <vdacheck/check/vdc_file_check.h>

#include <vdacheck/check/vdc_check_dispatch.h>
#include <vdacheck/check/vdc_fix_node.h>
#include <vdacheck/check/vdc_traveller.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_file_it.h>
#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/util/ut_big_stack.h>

#if defined(__SANITIZE_ADDRESS__)
#  define VDC_SANITIZED 1
#elif defined(__has_feature)
#  if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#    define VDC_SANITIZED 1
#  endif
#endif

// Measured on a chain of 200,000 groups through check (the stack test prints it): 448 bytes per level in
// the optimised g++ build, 592 in the unoptimised one, 1,120 under the address and undefined-behaviour
// sanitizers. Each allowance leaves more than twice that.
#if defined(VDC_SANITIZED)
const std::size_t vdcFileCheck::stack_per_level = 3072;
#elif defined(__OPTIMIZE__)
const std::size_t vdcFileCheck::stack_per_level = 1024;
#else
const std::size_t vdcFileCheck::stack_per_level = 1536;
#endif

vdcFileCheck::vdcFileCheck(utCancel cancel) : reset_logs(1), cancel_(std::move(cancel)) {}

vdcFileCheck::~vdcFileCheck() = default;

std::size_t vdcFileCheck::stack_for(std::size_t entities) noexcept
{
    constexpr std::size_t base = std::size_t{512} << 10;  // frames around the recursion
    return base + (entities + 1) * stack_per_level;
}

void vdcFileCheck::with_stack_for(std::size_t entities, const std::function<void()>& job)
{
    // A cancelled check leaves by an exception from any depth: the names of the entities it was in go.
    struct Guard {
        bool& flag;
        std::vector<utString>& names;
        ~Guard()
        {
            flag = false;
            names.clear();
        }
    } guard{on_stack_, name_stack};
    on_stack_ = true;
    utBigStack::run_with(stack_for(entities), job, cancel_);
}

int vdcFileCheck::check(const vdaFile& file)
{
    int result = 0;
    with_stack_for(static_cast<std::size_t>(file.size()), [&] { result = walk(file); });
    return result;
}

int vdcFileCheck::walk(const vdaFile& file)
{
    reset();
    struct Restore {
        int& reset_logs;
        ~Restore() { reset_logs = 1; }
    } restore{reset_logs};
    reset_logs = 0;
    checked_names.reserve(static_cast<std::size_t>(file.size()));  // every entity's name goes in once
    vdaFileIT it(file, 0);
    while (++it)
        check(vdaObjectPtr(it()));
    return error_log.empty();
}

int vdcFileCheck::check(const vdaObjectPtr& entity)
{
    if (on_stack_ || !name_stack.empty())
        return check_entity(entity);
    int result = 0;
    const vdaFile* file = entity->file();
    with_stack_for(file ? static_cast<std::size_t>(file->size()) : 1, [&] { result = check_entity(entity); });
    return result;
}

int vdcFileCheck::check_entity(const vdaObjectPtr& entity)
{
    const utString& name = entity->name();  // checks never rename or delete, so the entity outlives this call
    if (name_stack.empty())
        reset();
    name_stack.push_back(name);
    if (checked_names.try_emplace(name, '\0').second) {
        cancel_.check();
        do_check(entity);
    }
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

// The repair pass over the dependency graph that checking recorded, and deleting what is still faulty.
int vdcFileCheck::fix()
{
    vdcTraveller traveller;
    int deepest = 0;
    fix_nodes.for_each([&](const utString&, std::unique_ptr<vdcFixNode>& node) {
        if (!node->is_used())
            node->accept_traveller(traveller);
    });
    fix_nodes.for_each(
        [&](const utString&, std::unique_ptr<vdcFixNode>& node) { deepest = std::max(deepest, node->distance()); });

    // Order the names by distance, deepest first, keeping the table's order within one distance:
    // one counting pass instead of a walk over the whole table per distance.
    std::vector<std::size_t> start(static_cast<std::size_t>(deepest) + 2, 0);
    fix_nodes.for_each([&](const utString&, std::unique_ptr<vdcFixNode>& node) {
        ++start[static_cast<std::size_t>(deepest - node->distance()) + 1];
    });
    for (std::size_t d = 1; d < start.size(); ++d)
        start[d] += start[d - 1];
    std::vector<const utString*> order(fix_nodes.size());
    fix_nodes.for_each([&](const utString& name, std::unique_ptr<vdcFixNode>& node) {
        order[start[static_cast<std::size_t>(deepest - node->distance())]++] = &name;
    });

    for (const utString* name : order) {
        const int n = error_log.num_logged(*name);
        for (int k = 0; k < n; ++k) {
            vdcErrorPacket packet = error_log.packet(*name);
            const vdcErrorFunction repair = packet.error_function();
            // A name that no longer resolves (the entity was deleted after the check) keeps its
            // packets: a repair needs its entity.
            const vdaObjectPtr entity = repair ? vdaObjectPtr(*name) : vdaObjectPtr();
            if (entity && repair(entity, packet, error_log))
                fixed_log.save(*name, std::move(packet));
            else
                error_log.save(*name, std::move(packet));
        }
    }
    return error_log.empty();
}

void vdcFileCheck::clean()
{
    fix_nodes.for_each([&](const utString& name, std::unique_ptr<vdcFixNode>&) {
        if (error_log.num_logged(name) == 0)
            return;
        if (vdaObject* entity = vdaObjectPtr(name)())
            delete entity;
    });
    error_log.clear();
    fixed_log.clear();
}
