#include <vdacheck/util/ut_string.h>

#include <atomic>
#include <cstring>
#include <new>

struct utString::Rep {
    std::atomic<std::uint32_t> refs;
};

utString::Rep* utString::allocate(std::string_view text, const char*& data)
{
    void* block = ::operator new(sizeof(utString::Rep) + text.size() + 1);
    auto* rep = new (block) utString::Rep{1};
    char* chars = reinterpret_cast<char*>(rep + 1);
    if (!text.empty())
        std::memcpy(chars, text.data(), text.size());
    chars[text.size()] = '\0';
    data = chars;
    return rep;
}

utString::utString(const char* text) : utString(std::string_view(text ? text : "")) {}

utString::utString(std::string_view text)
{
    if (text.empty())
        return;
    rep_ = allocate(text, data_);
    size_ = text.size();
}

utString& utString::operator=(const utString& other) noexcept
{
    other.retain();
    release();
    data_ = other.data_;
    size_ = other.size_;
    rep_ = other.rep_;
    return *this;
}

utString& utString::operator=(utString&& other) noexcept
{
    if (this != &other) {
        release();
        data_ = other.data_;
        size_ = other.size_;
        rep_ = other.rep_;
        other.data_ = "";
        other.size_ = 0;
        other.rep_ = nullptr;
    }
    return *this;
}

void utString::retain() const noexcept
{
    if (rep_)
        rep_->refs.fetch_add(1, std::memory_order_relaxed);
}

void utString::release() noexcept
{
    if (rep_ && rep_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        rep_->~Rep();
        ::operator delete(rep_);
    }
    rep_ = nullptr;
}

std::size_t utString::hash_bytes(const char* data, std::size_t size) noexcept
{
    // Names are short (8 bytes in conforming files): one multiply-mix per 8-byte word.
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = 0xcbf29ce484222325ull ^ (size * k);
    while (size >= 8) {
        std::uint64_t w;
        std::memcpy(&w, data, 8);
        h = (h ^ w) * k;
        h ^= h >> 29;
        data += 8;
        size -= 8;
    }
    if (size > 0) {
        std::uint64_t w = 0;
        std::memcpy(&w, data, size);
        h = (h ^ w) * k;
        h ^= h >> 29;
    }
    h *= 0xBF58476D1CE4E5B9ull;
    return static_cast<std::size_t>(h ^ (h >> 32));
}
