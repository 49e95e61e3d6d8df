#include <vdacheck/util/ut_replace_file.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <random>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include <vdacheck/util/ut_temporary_files.h>

namespace fs = std::filesystem;

namespace {

std::runtime_error failure(const std::string& what, int error)
{
    return std::runtime_error(what + ": " + std::strerror(error));
}

// An output buffer over a file descriptor that remembers why a write failed.
class FdBuffer : public std::streambuf {
public:
    explicit FdBuffer(int fd) : fd_(fd), buffer_(1u << 16) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
    int error() const noexcept { return error_; }

protected:
    int_type overflow(int_type c) override
    {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        if (n < static_cast<std::streamsize>(buffer_.size()))
            return std::streambuf::xsputn(s, n);
        return drain() && write_all(s, static_cast<std::size_t>(n)) ? n : 0;
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain()
    {
        const std::size_t n = static_cast<std::size_t>(pptr() - pbase());
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return error_ == 0 && write_all(buffer_.data(), n);
    }
    bool write_all(const char* p, std::size_t n)
    {
        while (n > 0) {
            const ssize_t written = ::write(fd_, p, n);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                error_ = errno;
                return false;
            }
            p += written;
            n -= static_cast<std::size_t>(written);
        }
        return true;
    }

    int fd_;
    int error_ = 0;
    std::vector<char> buffer_;
};

// Closes a descriptor it owns; close() reports the errors of writes some file systems delay.
class Fd {
public:
    explicit Fd(int fd = -1) noexcept : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const noexcept { return fd_; }
    void close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 && errno != EINTR)
            throw failure("cannot write", errno);
    }

private:
    int fd_;
};

void write_to(int fd, const std::function<void(std::ostream&)>& write)
{
    FdBuffer buffer(fd);
    std::ostream out(&buffer);
    write(out);
    out.flush();
    if (buffer.error() != 0)
        throw failure("cannot write", buffer.error());
    if (!out)
        throw std::runtime_error("cannot write");
}

// How the caller fills the file: through a stream over the descriptor, or by opening a path itself.
struct Writer {
    const std::function<void(std::ostream&)>* stream = nullptr;
    const std::function<void(const fs::path&)>* at = nullptr;

    // Fills the open file `fd`, which `name` opens too.
    void fill(int fd, const fs::path& name) const
    {
        if (stream)
            write_to(fd, *stream);
        else
            (*at)(name);
    }
};

// The file `path` finally names: symbolic links followed one by one, relative ones from their own folder.
fs::path final_target(fs::path path)
{
    for (int links = 0;; ++links) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return path;
        if (links == 40)
            throw failure("cannot follow the symbolic link", ELOOP);
        std::error_code error;
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            throw failure("cannot follow the symbolic link", error.value());
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
}

// A name for a temporary file beside `target` that nothing has yet.
class TemporaryNames {
public:
    explicit TemporaryNames(const fs::path& target) : target_(target) {}
    fs::path next()
    {
        return target_.parent_path() / (target_.filename().string() + ".tmp" + std::to_string(random_() % 1000000u));
    }

private:
    const fs::path& target_;
    std::random_device random_;
};

// Creates a name through `make(name)` (which returns an errno, 0 on success), registered with the
// temporaries when there are any; a name that exists already is retried with another.
fs::path make_named(const fs::path& target, const utReplaceOptions& options,
                    const std::function<int(const fs::path&)>& make)
{
    TemporaryNames names(target);
    for (int attempt = 0;; ++attempt) {
        const fs::path name = names.next();
        int error = 0;
        const auto run = [&] {
            error = make(name);
            if (error != 0)
                throw failure("cannot create a temporary file beside it", error);
        };
        try {
            if (options.temporaries)
                options.temporaries->create(name, run);
            else
                run();
            return name;
        } catch (const std::runtime_error&) {
            if (error != EEXIST || attempt == 100)
                throw;
        }
    }
}

// Removes a named temporary file unless it was renamed.
class Named {
public:
    Named(fs::path path, const utReplaceOptions& options) : path_(std::move(path)), options_(options) {}
    Named(const Named&) = delete;
    Named& operator=(const Named&) = delete;
    ~Named()
    {
        if (!path_.empty())
            ::unlink(path_.c_str());
        release();
    }
    void rename_to(const fs::path& target)
    {
        if (::rename(path_.c_str(), target.c_str()) != 0)
            throw failure("cannot rename the temporary file over it", errno);
        release();
        path_.clear();
    }

private:
    void release() noexcept
    {
        if (options_.temporaries && !path_.empty())
            options_.temporaries->forget(path_);
    }
    fs::path path_;
    const utReplaceOptions& options_;
};

// Gives the unnamed file `fd` the name `name`; an errno on failure. Through /proc, which needs no privilege,
// else by the descriptor itself, which does.
int link_unnamed(int fd, const fs::path& name)
{
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    const int error = errno;
    if (error == EEXIST)
        return error;
    return ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : error;
}

// Writes into an unnamed file in the target's folder and links it in; false when the file system offers no
// unnamed files, or no way to name one, and nothing was changed.
bool replace_unnamed(const fs::path& target, const struct stat* existing, const Writer& write,
                     const utReplaceOptions& options)
{
#ifdef O_TMPFILE
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    Fd fd(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return false;
    // A writer that opens a path gets the file's path under /proc, when there is one.
    const fs::path proc = "/proc/self/fd/" + std::to_string(fd.get());
    if (write.at && ::access(proc.c_str(), W_OK) != 0)
        return false;
    if (existing)
        ::fchmod(fd.get(), existing->st_mode & 07777);
    write.fill(fd.get(), proc);
    if (!existing) {
        const int error = link_unnamed(fd.get(), target);
        if (error == 0) {
            fd.close();
            return true;
        }
        if (error != EEXIST)
            return false;
    }
    // A file is there to be replaced: a name beside it first, then the rename over it.
    bool unnameable = false;
    fs::path name;
    try {
        name = make_named(target, options, [&](const fs::path& n) {
            const int error = link_unnamed(fd.get(), n);
            unnameable = error != 0 && error != EEXIST;
            return error;
        });
    } catch (const std::runtime_error&) {
        if (unnameable)
            return false;
        throw;
    }
    Named named(name, options);
    fd.close();
    named.rename_to(target);
    return true;
#else
    (void)target, (void)existing, (void)write, (void)options;
    return false;
#endif
}

void replace_named(const fs::path& target, const struct stat* existing, const Writer& write,
                   const utReplaceOptions& options)
{
    int descriptor = -1;
    const fs::path name = make_named(target, options, [&](const fs::path& n) {
        descriptor = ::open(n.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        return descriptor < 0 ? errno : 0;
    });
    Named named(name, options);
    Fd fd(descriptor);
    if (existing)
        ::fchmod(fd.get(), existing->st_mode & 07777);
    write.fill(fd.get(), name);
    fd.close();
    named.rename_to(target);
}

void write_in_place(const fs::path& path, const Writer& write)
{
    Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        throw failure("cannot open it for writing", errno);
    write.fill(fd.get(), path);
    fd.close();
}

void replace(const fs::path& path, const Writer& write, const utReplaceOptions& options)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        if (S_ISDIR(status.st_mode))
            throw std::runtime_error("it is a folder");
        write_in_place(path, write);
        return;
    }
    const fs::path target = final_target(path);
    const bool exists = ::stat(target.c_str(), &status) == 0;
    if (!exists && errno != ENOENT)
        throw failure("cannot reach it", errno);
    if (exists && !S_ISREG(status.st_mode))
        throw std::runtime_error("the link changed while it was followed");
    if (options.unnamed && replace_unnamed(target, exists ? &status : nullptr, write, options))
        return;
    replace_named(target, exists ? &status : nullptr, write, options);
}

}  // namespace

void ut_replace_file(const fs::path& path, const std::function<void(std::ostream&)>& write,
                     const utReplaceOptions& options)
{
    replace(path, Writer{&write, nullptr}, options);
}

void ut_replace_file_at(const fs::path& path, const std::function<void(const fs::path&)>& write,
                        const utReplaceOptions& options)
{
    replace(path, Writer{nullptr, &write}, options);
}
