#pragma once

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include <vdacheck/vdacheck.h>

// Reading, writing and sample access shared by the reader and writer tests.
namespace vdatest {

inline std::unique_ptr<vdaFile> read(std::string_view text) { return vdaReader::read(text, "test.vda"); }

inline std::string written(const vdaFile& file)
{
    std::ostringstream out;
    vdaWriter::write(file, out);
    return out.str();
}

inline std::string sample_path(const std::string& name)
{
    return std::string(VDACHECK_SOURCE_DIR) + "/tests/data/samples/" + name;
}

inline std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Marks every entity changed, so that the writer writes the whole model afresh.
inline void change_all(vdaFile& file)
{
    for (vdaObject& entity : file)
        entity.mark_changed();
}

template <class T>
const T& entity(const vdaFile& file, const char* name)
{
    const T* found = vda_cast<T>(file.find(name));
    if (!found)
        throw std::runtime_error(std::string("no ") + T::id.command_word() + " named " + name);
    return *found;
}

}  // namespace vdatest
