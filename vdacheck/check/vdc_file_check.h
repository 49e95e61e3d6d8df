#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/check/vdc_log.h>
#include <vdacheck/util/co_ordered_map.h>
#include <vdacheck/util/ut_cancel.h>
#include <vdacheck/util/ut_string.h>

class vdaFile;
class vdaObjectPtr;
class vdcFileCheckAcc;
class vdcFixNode;

// The checker. check() walks a model (or one entity and everything it refers to), runs the check class
// of each entity's type exactly once between two resets, and logs every problem found in error_log under
// the name of the entity concerned. Reference checks re-enter check() for the referenced entity, so one
// call can recurse along a chain of references; the set of checked names ends every reference cycle.
// For each faulty entity a fix node is recorded, with an edge from the entity whose check led to it.
// fix() then offers every packet to its repair function, referenced entities before the entities that
// refer to them; clean() deletes what is still faulty.
//
// Recursion: the nesting depth of check() is the length of the longest chain of references followed,
// at most one level per entity of the model. An outermost check() runs on the calling thread when its
// stack has room for that many levels, and otherwise on a thread of its own with a stack sized from the
// model's entity count; the caller waits for it. So a model whose groups nest a million deep is checked
// from any thread without overflowing its stack.
//
// Cancelling: check() looks at `cancel` before each entity it checks and throws utCancelled once it asks to
// stop, leaving a partial log that the next check starts afresh from; fix() and clean() run to their end.
//
// A checker keeps no reference to the model between calls, only names. It must not be used from two
// threads at once.
class VDC_API vdcFileCheck {
public:
    explicit vdcFileCheck(utCancel cancel = {});
    ~vdcFileCheck();
    vdcFileCheck(const vdcFileCheck&) = delete;
    vdcFileCheck& operator=(const vdcFileCheck&) = delete;

    // Checks every entity of `file`; 1 when the error log holds no packet afterwards.
    int check(const vdaFile& file);
    // Checks one entity (which must be a resolved reference) and, through its reference checks, the
    // entities it refers to; 1 when no packet is logged under the entity's name afterwards.
    int check(const vdaObjectPtr& entity);
    // Offers every logged packet to its repair function, deepest entities first; 1 when the error log
    // holds no packet afterwards.
    int fix();
    // Deletes from the model every entity that still has packets, then clears both logs.
    void clean();

    // The stack an outermost check() needs on a model of `entities` entities: one nesting level per entity
    // at most, at the measured bytes per level (with room to spare), plus a base for everything else.
    static std::size_t stack_for(std::size_t entities) noexcept;
    static const std::size_t stack_per_level;

protected:
    void do_check(const vdaObjectPtr& entity);
    void reset();
    void create_fix_nodes();

    vdcLog error_log;
    vdcLog fixed_log;
    coOrderedMap<utString, char> checked_names;  // a set: the mapped value is unused
    coOrderedMap<utString, std::unique_ptr<vdcFixNode>> fix_nodes;
    std::vector<utString> name_stack;
    int reset_logs;

private:
    friend class vdcFileCheckAcc;
    vdcFixNode& node_of(const utString& name);
    int walk(const vdaFile& file);
    int check_entity(const vdaObjectPtr& entity);
    // Runs `job` (an outermost check) where the stack has room for `entities` nesting levels.
    void with_stack_for(std::size_t entities, const std::function<void()>& job);

    bool on_stack_ = false;  // an outermost check runs with the stack it needs; nested calls need no guard
    utCancel cancel_;
};
