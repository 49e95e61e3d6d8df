#include <vdacheck/check/vdc_fix_node.h>

#include <cstddef>

#include <vdacheck/check/vdc_traveller.h>

void vdcFixNode::accept_traveller(vdcTraveller& traveller)
{
    // The recursive walk step, run with an explicit stack: entering a node raises the traveller's
    // depth and marks the node as on the path; its children are walked only when that depth exceeds
    // its distance; leaving it undoes both.
    struct Frame {
        vdcFixNode* node;
        std::size_t next;  // next child to walk
        bool expand;       // the node's distance grew: its children are walked
    };
    std::vector<Frame> path;
    auto enter = [&](vdcFixNode* node) {
        traveller.enters();
        node->visiting = 1;
        const bool deeper = traveller.distance_travelled() > node->max_distance;
        if (deeper)
            node->max_distance = traveller.distance_travelled();
        path.push_back(Frame{node, 0, deeper});
    };

    if (visiting)
        return;
    enter(this);
    while (!path.empty()) {
        Frame& top = path.back();
        if (top.expand && top.next < top.node->children.size()) {
            vdcFixNode* child = top.node->children[top.next++];
            if (!child->visiting)
                enter(child);
            continue;
        }
        top.node->visiting = 0;
        traveller.exits();
        path.pop_back();
    }
}
