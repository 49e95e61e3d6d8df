#pragma once

#include <memory>
#include <set>

#include <vdacheck/util/ut_string.h>

class vdaFile;
class vdaObject;

// A small model of copies: some entities of a model with everything they refer to (a cons's surface and
// curve, a face's surface and cons, a topology entity's faces or surfaces and cons), for measuring or
// writing a few entities of a large model without the rest. Curves, surfaces, cons, faces and topology
// entities are copied; other entities are left out.
class vdcScratchModel {
public:
    // With a HEADER, the model can be written.
    explicit vdcScratchModel(bool header = false);
    ~vdcScratchModel();

    // Copies `entity` of its model and what it refers to (once each).
    void add(const vdaObject& entity);
    const vdaFile& file() const noexcept { return *file_; }
    vdaFile& file() noexcept { return *file_; }
    bool holds(const utString& name) const { return copied_.count(name) > 0; }

private:
    void copy(const vdaObject& entity);
    void add_named(const vdaObject& from, const utString& name);
    std::unique_ptr<vdaFile> file_;
    std::set<utString> copied_;
};
