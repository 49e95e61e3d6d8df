// Memory for source texts. On Linux a large text is mapped with a hint for transparent huge pages:
// reading a file of hundreds of MB then takes a few hundred page faults instead of tens of thousands.
#include <vdacheck/model/vda_source.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#if defined(__linux__)
#  include <sys/mman.h>
#endif

namespace {

#if defined(__linux__)
constexpr std::size_t map_at_least = 4u << 20;
#endif

}  // namespace

vdaSource::~vdaSource() { release(); }

void vdaSource::release() noexcept
{
#if defined(__linux__)
    if (mapped_ > 0) {
        munmap(data_, mapped_);
        data_ = nullptr;
        mapped_ = 0;
        size_ = 0;
        return;
    }
#endif
    delete[] data_;
    data_ = nullptr;
    size_ = 0;
}

char* vdaSource::resize(std::size_t size)
{
#if defined(__linux__)
    // A mapping grows and shrinks without copying: the kernel moves its pages.
    if (mapped_ > 0 && size > 0) {
        void* p = mremap(data_, mapped_, size, MREMAP_MAYMOVE);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        data_ = static_cast<char*>(p);
        mapped_ = size;
        size_ = size;
        return data_;
    }
#endif
    vdaSource old;
    std::swap(old.data_, data_);
    std::swap(old.size_, size_);
    std::swap(old.mapped_, mapped_);
    allocate(size);
    if (size > 0 && old.size_ > 0)
        std::memcpy(data_, old.data_, std::min(size, old.size_));
    return data_;
}

char* vdaSource::allocate(std::size_t size)
{
    release();
#if defined(__linux__)
    if (size >= map_at_least) {
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        madvise(p, size, MADV_HUGEPAGE);  // only a hint: without huge pages the mapping works as well
        data_ = static_cast<char*>(p);
        mapped_ = size;
        size_ = size;
        return data_;
    }
#endif
    data_ = new char[size > 0 ? size : 1];
    size_ = size;
    return data_;
}
