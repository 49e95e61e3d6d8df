#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// Hash table that iterates in insertion order. Entries live in a vector in the order they were
// inserted; an open-addressed index of entry positions finds them by key. The index starts with
// 16 slots and doubles whenever its used slots reach half of it. Erasing leaves a hole in the entry
// vector that iteration skips; holes are squeezed out when they outnumber the live entries.
template <class Key, class Value, class Hash = std::hash<Key>>
class coOrderedMap {
public:
    struct Entry {
        Key key;
        Value value;
    };

    coOrderedMap() { index_.assign(initial_slots, Slot{}); }

    std::size_t size() const noexcept { return live_; }
    bool empty() const noexcept { return live_ == 0; }

    Value* find(const Key& key) noexcept
    {
        const std::size_t at = locate(key, Hash{}(key));
        return at == npos ? nullptr : &entries_[index_[at].entry]->value;
    }
    const Value* find(const Key& key) const noexcept { return const_cast<coOrderedMap*>(this)->find(key); }
    bool contains(const Key& key) const noexcept { return find(key) != nullptr; }

    // Inserts (key, Value(args...)) unless the key is present; returns the entry's value and whether
    // it was inserted.
    template <class... Args>
    std::pair<Value*, bool> try_emplace(const Key& key, Args&&... args)
    {
        const std::size_t h = Hash{}(key);
        const std::size_t at = locate(key, h);
        if (at != npos)
            return {&entries_[index_[at].entry]->value, false};
        if ((used_ + 1) * 2 > index_.size())
            rehash(index_.size() * 2);
        entries_.emplace_back(Entry{key, Value(std::forward<Args>(args)...)});
        place(h, static_cast<std::uint32_t>(entries_.size() - 1));
        ++live_;
        return {&entries_.back()->value, true};
    }

    // Makes room for `n` entries in all, so that inserting that many moves nothing.
    void reserve(std::size_t n)
    {
        entries_.reserve(n);
        std::size_t slots = index_.size();
        while (slots < n * 2)
            slots *= 2;
        if (slots > index_.size())
            rehash(slots);
    }

    bool erase(const Key& key)
    {
        const std::size_t at = locate(key, Hash{}(key));
        if (at == npos)
            return false;
        entries_[index_[at].entry].reset();
        index_[at].entry = tombstone;
        --live_;
        if (entries_.size() > 32 && live_ * 2 < entries_.size())
            compact();
        return true;
    }

    void clear()
    {
        entries_.clear();
        index_.assign(initial_slots, Slot{});
        used_ = 0;
        live_ = 0;
    }

    // Visits the live entries in insertion order. `f` may not insert or erase.
    template <class F>
    void for_each(F&& f)
    {
        for (auto& e : entries_)
            if (e)
                f(e->key, e->value);
    }
    template <class F>
    void for_each(F&& f) const
    {
        for (const auto& e : entries_)
            if (e)
                f(e->key, e->value);
    }

private:
    static constexpr std::size_t initial_slots = 16;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    static constexpr std::uint32_t empty_slot = 0xFFFFFFFFu;
    static constexpr std::uint32_t tombstone = 0xFFFFFFFEu;

    struct Slot {
        std::uint32_t entry = empty_slot;
        std::uint32_t tag = 0;  // high bits of the hash, to skip most key comparisons
    };

    static std::uint32_t tag_of(std::size_t h) noexcept
    {
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(h) >> 32) | 1u;
    }

    std::size_t locate(const Key& key, std::size_t h) const noexcept
    {
        const std::size_t mask = index_.size() - 1;
        const std::uint32_t tag = tag_of(h);
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            const Slot& s = index_[i];
            if (s.entry == empty_slot)
                return npos;
            if (s.entry != tombstone && s.tag == tag && entries_[s.entry]->key == key)
                return i;
        }
    }

    void place(std::size_t h, std::uint32_t entry) noexcept
    {
        const std::size_t mask = index_.size() - 1;
        std::size_t i = h & mask;
        while (index_[i].entry != empty_slot && index_[i].entry != tombstone)
            i = (i + 1) & mask;
        if (index_[i].entry == empty_slot)
            ++used_;
        index_[i] = Slot{entry, tag_of(h)};
    }

    void rehash(std::size_t slots)
    {
        while (live_ * 2 >= slots)
            slots *= 2;
        index_.assign(slots, Slot{});
        used_ = 0;
        for (std::size_t e = 0; e < entries_.size(); ++e)
            if (entries_[e])
                place(Hash{}(entries_[e]->key), static_cast<std::uint32_t>(e));
    }

    void compact()
    {
        std::size_t out = 0;
        for (std::size_t e = 0; e < entries_.size(); ++e)
            if (entries_[e]) {
                if (out != e)
                    entries_[out] = std::move(entries_[e]);
                ++out;
            }
        entries_.resize(out);
        rehash(index_.size());
    }

    std::vector<std::optional<Entry>> entries_;
    std::vector<Slot> index_;
    std::size_t used_ = 0;  // index slots that are not empty (live or tombstone)
    std::size_t live_ = 0;
};
