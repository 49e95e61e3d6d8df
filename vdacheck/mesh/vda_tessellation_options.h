#pragma once

#include <cstddef>

#include <vdacheck/util/ut_cancel.h>

// How finely vdaTessellator draws a model.
struct vdaTessellationOptions {
    // Largest distance between a drawn triangle or polyline and the geometry it stands for, in model
    // units; 0: relative_tolerance times the diagonal of the model's bounding box. Never finer than a
    // millionth of that diagonal.
    double chordal_tolerance = 0.0;
    double relative_tolerance = 0.001;
    // At most this many triangles in the whole scene: the tolerance is raised until the model fits, and
    // surfaces and faces that still do not are drawn as their outlines (the largest first).
    std::size_t triangle_budget = 2'000'000;
    // Threads that draw entities: 0 for every hardware thread, 1 for the caller's thread only. The scene
    // is the same whatever the number.
    int threads = 0;
    // Looked at before each entity is drawn, on every thread: once it asks to stop, tessellate() throws
    // utCancelled.
    utCancel cancel;
};
