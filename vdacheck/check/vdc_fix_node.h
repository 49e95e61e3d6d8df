#pragma once

#include <vector>

#include <vdacheck/check/vdc_export.h>

class vdcTraveller;

// One faulty entity (or an entity whose reference led to a faulty one) in the dependency graph that
// orders repairs. Its children are the nodes of the entities it depends on, in the order the edges
// were found; duplicates and self-edges are kept. A node that is nobody's child is a root.
class VDC_API vdcFixNode {
public:
    vdcFixNode() = default;
    ~vdcFixNode() = default;
    vdcFixNode(const vdcFixNode&) = delete;
    vdcFixNode& operator=(const vdcFixNode&) = delete;

    void depends_on(const vdcFixNode* child) { children.push_back(const_cast<vdcFixNode*>(child)); }
    void used() noexcept { used_flag = 1; }
    int is_used() const noexcept { return used_flag; }
    int num_children() const noexcept { return static_cast<int>(children.size()); }
    const vdcFixNode* child(int i) const noexcept { return children[static_cast<std::size_t>(i)]; }
    // The greatest depth at which a traveller has reached the node; never lowered.
    int distance() const noexcept { return max_distance; }

    // Enters the node at the traveller's next depth. When that depth is greater than the node's
    // distance, it becomes the distance and the children are walked from there; a node already on the
    // path being walked (a cycle) is not entered again. The walk keeps its own stack, so chains of any
    // length are walked without deep recursion.
    void accept_traveller(vdcTraveller& traveller);

private:
    int used_flag = 0;
    std::vector<vdcFixNode*> children;
    int max_distance = 0;
    int visiting = 0;
};
