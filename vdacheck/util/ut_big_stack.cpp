#include <vdacheck/util/ut_big_stack.h>

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

namespace {

struct Job {
    const std::function<void()>* job;
    std::exception_ptr error;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
};

void* run_job(void* argument)
{
    Job& job = *static_cast<Job*>(argument);
    try {
        (*job.job)();
    } catch (...) {
        job.error = std::current_exception();
    }
    {
        const std::lock_guard lock(job.mutex);
        job.done = true;
    }
    job.ended.notify_one();
    return nullptr;
}

// Waits for the job to end, polling `cancel` now and then: only the calling thread may run its poll, and
// the job, which looks at the token, stops once the poll has asked it to.
void wait_polling(Job& job, const utCancel& cancel)
{
    cancel.requested();
    std::unique_lock lock(job.mutex);
    while (!job.ended.wait_for(lock, std::chrono::milliseconds(10), [&] { return job.done; })) {
        lock.unlock();
        cancel.requested();
        lock.lock();
    }
}

// An anonymous mapping that is unmapped when it goes out of scope.
class Mapping {
public:
    explicit Mapping(std::size_t size) : size_(size)
    {
        void* p =
            mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
        if (p == MAP_FAILED)
            throw std::system_error(errno, std::generic_category(),
                                    "cannot map a stack of " + std::to_string(size >> 20) + " MiB");
        data_ = static_cast<unsigned char*>(p);
        // Small pages only, so that counting resident pages measures what the job touched.
        madvise(data_, size_, MADV_NOHUGEPAGE);
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping() { munmap(data_, size_); }

    unsigned char* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }

    // Bytes of the mapping that are resident.
    std::size_t touched() const
    {
        const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        std::vector<unsigned char> resident((size_ + page - 1) / page);
        if (mincore(data_, size_, resident.data()) != 0)
            return 0;
        std::size_t pages = 0;
        for (unsigned char r : resident)
            pages += r & 1u;
        return pages * page;
    }

private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

void check(int error, const char* what)
{
    if (error != 0)
        throw std::system_error(error, std::generic_category(), what);
}

}  // namespace

std::size_t utBigStack::room() noexcept
{
    // The lowest address of this thread's stack does not change while the thread lives: asked once per
    // thread (for the main thread the system reads its memory map, which is slow).
    thread_local const char* lowest = [] {
        pthread_attr_t attributes;
        if (pthread_getattr_np(pthread_self(), &attributes) != 0)
            return static_cast<const char*>(nullptr);
        void* address = nullptr;
        std::size_t size = 0;
        const int error = pthread_attr_getstack(&attributes, &address, &size);
        pthread_attr_destroy(&attributes);
        return error == 0 ? static_cast<const char*>(address) : nullptr;
    }();
    const char* frame = static_cast<const char*>(__builtin_frame_address(0));
    return lowest && frame > lowest ? static_cast<std::size_t>(frame - lowest) : 0;
}

void utBigStack::run_with(std::size_t needed, const std::function<void()>& job, const utCancel& cancel)
{
    if (room() >= needed)
        job();
    else
        run(needed, job, cancel);
}

std::size_t utBigStack::run(std::size_t stack_bytes, const std::function<void()>& job, const utCancel& cancel)
{
    const std::size_t page = std::size_t{1} << 16;
    Mapping stack((stack_bytes + page - 1) / page * page);
    pthread_attr_t attributes;
    check(pthread_attr_init(&attributes), "pthread_attr_init");
    struct Destroy {
        pthread_attr_t* a;
        ~Destroy() { pthread_attr_destroy(a); }
    } destroy{&attributes};
    check(pthread_attr_setstack(&attributes, stack.data(), stack.size()), "cannot use the mapped stack");

    Job context{&job, nullptr, {}, {}, false};
    pthread_t thread;
    check(pthread_create(&thread, &attributes, &run_job, &context), "cannot start the worker thread");
    if (cancel)
        wait_polling(context, cancel);
    check(pthread_join(thread, nullptr), "cannot join the worker thread");
    const std::size_t touched = stack.touched();
    if (context.error)
        std::rethrow_exception(context.error);
    return touched;
}
