#include <vdacheck/util/ut_replace_file.h>

#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

void ut_replace_file(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write)
{
    namespace fs = std::filesystem;
    std::random_device random;
    const fs::path temporary =
        path.parent_path() / (path.filename().string() + ".tmp" + std::to_string(random() % 1000000u));
    try {
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            if (!out)
                throw std::runtime_error("cannot create " + temporary.string());
            write(out);
            out.close();
            if (!out)
                throw std::runtime_error("cannot write " + temporary.string());
        }
        std::error_code ec;
        const fs::file_status target = fs::status(path, ec);
        if (!ec && fs::exists(target))
            fs::permissions(temporary, target.permissions(), ec);
        fs::rename(temporary, path);
    } catch (...) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
}
