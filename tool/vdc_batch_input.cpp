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

// What the walk of a folder found: a file to read, or an entry that cannot be listed or opened, and why.
struct Found {
    fs::path relative;
    std::string error;

    friend bool operator<(const Found& a, const Found& b) { return a.relative < b.relative; }
};

// Lists one folder into `found` (model files and entries that fail) and `folders` (its subfolders, but
// `skip`). Symbolic links to folders are not followed, so the walk never runs in a circle; a link to a
// file is, and one that leads nowhere or in a loop is reported by its own path.
void list_folder(const fs::path& root, const fs::path& folder, const fs::path& skip, std::vector<Found>& found,
                 std::vector<fs::path>& folders)
{
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        const fs::directory_entry& entry = *it;
        std::error_code ignored;
        if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
            if (skip.empty() || !same(entry.path(), skip))
                folders.push_back(entry.path());
            continue;
        }
        if (!vdcBatchInput::is_model_name(entry.path().filename()))
            continue;
        // A link to nothing reads as not found, with or without an error.
        std::error_code why;
        const fs::file_status status = fs::status(entry.path(), why);
        if (!why && !fs::exists(status))
            why = std::make_error_code(std::errc::no_such_file_or_directory);
        if (why)
            found.push_back({entry.path().lexically_relative(root), "cannot open it: " + why.message()});
        else if (fs::is_regular_file(status))
            found.push_back({entry.path().lexically_relative(root), {}});
    }
    if (error)
        found.push_back({folder.lexically_relative(root), "cannot list the folder: " + error.message()});
}

// The files under `folder` that the walk takes, relative to it and sorted, with each entry that cannot be
// listed or opened in its place. Each folder is listed whole before the next is opened: a deep tree does not
// hold a descriptor per level.
std::vector<Found> walk(const fs::path& folder, const fs::path& skip)
{
    std::vector<Found> found;
    std::vector<fs::path> folders{folder};
    while (!folders.empty()) {
        const fs::path next = std::move(folders.back());
        folders.pop_back();
        list_folder(folder, next, skip, found, folders);
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
        const std::vector<Found> found = walk(path, skip);
        if (found.empty())
            inputs.push_back({path, path, {}, 0, "no *.vda or *.vdafs file in this folder"});
        for (const Found& entry : found) {
            // The folder given itself is shown as given; what is under it by its path from there.
            const fs::path full = entry.relative == "." ? fs::path(path) : fs::path(path) / entry.relative;
            const std::string shown = entry.relative == "." ? path : full.generic_string();
            inputs.push_back(
                {full.string(), shown, entry.relative, entry.error.empty() ? size_of(full) : 0, entry.error});
        }
    }
    return inputs;
}

std::vector<fs::path> vdcBatchInput::outputs(const std::vector<vdcBatchInput>& inputs, const fs::path& dir,
                                             const std::string& suffix)
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
        fs::path output = (dir / input.relative).lexically_normal();
        if (!suffix.empty())
            output.replace_extension(suffix);
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
