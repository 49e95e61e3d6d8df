#include <tool/vdc_batch_input.h>

#include <algorithm>
#include <map>
#include <system_error>
#include <utility>

#include <sys/stat.h>

#include <tool/vdc_cli_options.h>

namespace fs = std::filesystem;

namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::uint64_t size_of(const fs::path& path)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

// The same file or folder, also when the two paths spell it differently.
bool same(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

// The files under `folder` that the walk takes, relative to it and sorted; throws fs::filesystem_error
// on a folder that cannot be listed.
std::vector<fs::path> walk(const fs::path& folder, const fs::path& skip)
{
    std::vector<fs::path> found;
    fs::recursive_directory_iterator it(folder);
    for (const fs::recursive_directory_iterator end; it != end; ++it) {
        const fs::directory_entry& entry = *it;
        if (entry.is_directory()) {
            if (!skip.empty() && same(entry.path(), skip))
                it.disable_recursion_pending();
            continue;
        }
        if (entry.is_regular_file() && vdcBatchInput::is_model_name(entry.path().filename()))
            found.push_back(entry.path().lexically_relative(folder));
    }
    // Path order compares name by name: a folder's files stay together.
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

bool vdcBatchInput::is_model_name(const fs::path& name)
{
    const std::string suffix = lower(name.extension().string());
    return (suffix == ".vda" || suffix == ".vdafs") && name.stem() != "";
}

std::vector<vdcBatchInput> vdcBatchInput::expand(const std::vector<std::string>& paths, const fs::path& skip,
                                                 const std::string& stdin_name)
{
    std::vector<vdcBatchInput> inputs;
    for (const std::string& path : paths) {
        if (path == "-") {
            const std::string name = stdin_name.empty() ? "<stdin>" : stdin_name;
            inputs.push_back({path, name, name, 0, {}});
            continue;
        }
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            // A file, or a path that is not there: reading it reports what is wrong.
            inputs.push_back({path, path, fs::path(path).filename(), size_of(path), {}});
            continue;
        }
        try {
            const std::vector<fs::path> found = walk(path, skip);
            if (found.empty())
                inputs.push_back({path, path, {}, 0, "no *.vda or *.vdafs file in this folder"});
            for (const fs::path& relative : found) {
                const fs::path full = fs::path(path) / relative;
                inputs.push_back({full.string(), full.generic_string(), relative, size_of(full), {}});
            }
        } catch (const fs::filesystem_error& e) {
            inputs.push_back({path, path, {}, 0, "cannot list the folder: " + e.code().message()});
        }
    }
    return inputs;
}

std::vector<fs::path> vdcBatchInput::outputs(const std::vector<vdcBatchInput>& inputs, const fs::path& dir)
{
    std::vector<fs::path> outputs;
    std::map<fs::path, const vdcBatchInput*> taken;
    for (const vdcBatchInput& input : inputs) {
        if (!input.error.empty()) {
            outputs.emplace_back();
            continue;
        }
        if (input.path == "-")
            throw vdcUsageError("standard input has no name to save it under in --output-dir; use -o OUT");
        const fs::path output = (dir / input.relative).lexically_normal();
        const auto [it, inserted] = taken.emplace(output, &input);
        if (!inserted)
            throw vdcUsageError(input.shown + " and " + it->second->shown + " would both be saved to " +
                                output.string());
        outputs.push_back(output);
    }
    // An output that exists is an input when it is the same file (device and inode), whatever its path.
    std::map<std::pair<dev_t, ino_t>, const vdcBatchInput*> files;
    for (const vdcBatchInput& input : inputs) {
        struct stat status {};
        if (input.error.empty() && ::stat(input.path.c_str(), &status) == 0)
            files.emplace(std::pair(status.st_dev, status.st_ino), &input);
    }
    for (const fs::path& output : outputs) {
        struct stat status {};
        if (output.empty() || ::stat(output.c_str(), &status) != 0)
            continue;
        if (const auto it = files.find({status.st_dev, status.st_ino}); it != files.end())
            throw vdcUsageError("saving to " + output.string() + " would overwrite the input " + it->second->shown);
    }
    return outputs;
}
