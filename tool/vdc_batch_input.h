#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// One file of a run, as the paths on the command line name it. A folder becomes the VDA-FS files under it.
struct vdcBatchInput {
    std::string path;                // what to read; "-" for standard input
    std::string shown;               // the name reports and messages give it ("<stdin>" for standard input)
    std::filesystem::path relative;  // where it goes under --output-dir
    std::uint64_t bytes = 0;         // its size, for the progress bar; 0 when not known
    std::string error;               // not empty: a path that gave no file to read, and why; reported in its place

    // The inputs of `paths` in order: a file as given, a folder walked recursively for *.vda and *.vdafs
    // files (the suffix in any case) in sorted order, relative to the folder. A subfolder that cannot be
    // listed, or a *.vda entry that cannot be opened (a link to nothing or in a loop), becomes an input with
    // an error under its own path, in its place; the rest of the folder is walked all the same. Links to
    // folders are not followed. `skip`, when not empty, is a folder the walk leaves out (the output folder,
    // so that a run never reads what an earlier one wrote). Standard input is shown as `stdin_name`, or
    // "<stdin>".
    static std::vector<vdcBatchInput> expand(const std::vector<std::string>& paths,
                                             const std::filesystem::path& skip = {},
                                             const std::string& stdin_name = {});
    // True for a file name the walk of a folder takes: *.vda or *.vdafs in any case.
    static bool is_model_name(const std::filesystem::path& name);
    // The output of each input under `dir`, its suffix replaced by `suffix` when one is given; throws
    // vdcUsageError when two inputs would go to one output, or an output would overwrite an input. Inputs
    // with an error get an empty path.
    static std::vector<std::filesystem::path> outputs(const std::vector<vdcBatchInput>& inputs,
                                                      const std::filesystem::path& dir, const std::string& suffix = {});
};
