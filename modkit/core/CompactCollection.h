#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <deque>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "modkit/core/Error.h"

namespace modkit {

// KeyedCollection's interface over storage for lists of hundreds of thousands
// of members. Each member is one small record Rec in a flat array (the derived
// list decides what a record holds and how a member is read from it); a member
// becomes a shared object only when a caller asks for it through Item or the
// iteration. From then on that object is the member: a caller that keeps it
// sees later edits, and its own edits are the list's. The derived list reads
// members that are still records without making objects of them.
//
// Rec needs `uint32_t where` and `bool live`; where is the index of the object
// once live is true, the derived list's own field before.
//
// Asking for a member changes the storage, so a list is not read from two
// threads while one of them may ask for objects.
template <class T, class Rec>
class MODKIT_EXPORT CompactCollection {
public:
    using Ptr = std::shared_ptr<T>;

    explicit CompactCollection(std::string source) : source_(std::move(source)) {}
    CompactCollection(const CompactCollection&) = delete;
    CompactCollection& operator=(const CompactCollection&) = delete;
    virtual ~CompactCollection() = default;

    Ptr Add(Ptr item = nullptr, const std::string& key = std::string()) {
        return insertAt(recs_.size(), std::move(item), key);
    }
    Ptr Add(Ptr item, const std::string& key, int beforePosition) {
        checkPosition(beforePosition);
        return insertAt(static_cast<size_t>(beforePosition - 1), std::move(item), key);
    }
    Ptr Add(Ptr item, const std::string& key, const std::string& beforeKey) {
        if (beforeKey.empty()) return Add(std::move(item), key);
        return insertAt(indexOfKey(beforeKey), std::move(item), key);
    }
    Ptr Add(Ptr item, const std::string& key, const char* beforeKey) {
        return Add(std::move(item), key, std::string(beforeKey ? beforeKey : ""));
    }

    const Ptr& Item(int position) const {
        checkPosition(position);
        return object(static_cast<size_t>(position - 1));
    }
    const Ptr& Item(const std::string& key) const {
        auto it = keys_.find(key);
        if (it == keys_.end()) raiseRuntime(err::InvalidCall, source_);
        return it->second;
    }
    const Ptr& Item(const char* key) const { return Item(std::string(key ? key : "")); }

    int Count() const { return static_cast<int>(recs_.size()); }

    void Remove(int position) {
        checkPosition(position);
        eraseAt(static_cast<size_t>(position - 1));
    }
    void Remove(const std::string& key) { eraseAt(indexOfKey(key)); }
    void Remove(const char* key) { Remove(std::string(key ? key : "")); }

    std::string keyOf(int position) const {
        checkPosition(position);
        const Rec& r = recs_[static_cast<size_t>(position - 1)];
        if (!r.live || keyNames_.empty()) return std::string();
        auto it = keyNames_.find(live_[r.where].get());
        return it == keyNames_.end() ? std::string() : it->second;
    }

    // Range-for over the members in order (each becomes an object).
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Ptr;
        using difference_type = std::ptrdiff_t;
        using pointer = const Ptr*;
        using reference = const Ptr&;
        const_iterator() = default;
        reference operator*() const { return c_->object(i_); }
        pointer operator->() const { return &c_->object(i_); }
        const_iterator& operator++() { ++i_; return *this; }
        const_iterator operator++(int) { auto c = *this; ++i_; return c; }
        const_iterator& operator--() { --i_; return *this; }
        const_iterator& operator+=(difference_type n) { i_ = static_cast<size_t>(static_cast<difference_type>(i_) + n); return *this; }
        const_iterator operator+(difference_type n) const { auto c = *this; c += n; return c; }
        difference_type operator-(const const_iterator& o) const {
            return static_cast<difference_type>(i_) - static_cast<difference_type>(o.i_);
        }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }
    private:
        friend class CompactCollection;
        const_iterator(const CompactCollection* c, size_t i) : c_(c), i_(i) {}
        const CompactCollection* c_ = nullptr;
        size_t i_ = 0;
    };
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, recs_.size()); }

    void reserve(size_t n) { recs_.reserve(n); }

    // Removes every member for which keep(position, item) is false, in one pass.
    template <class Keep>
    void retainIf(Keep keep) {
        retainPositions([&](int pos) { return keep(pos, object(static_cast<size_t>(pos - 1))); });
    }

    // Inserts items (without keys) before the 1-based position; Count()+1 appends.
    void insertRange(int beforePosition, std::vector<Ptr> items) {
        if (beforePosition < 1 || beforePosition > Count() + 1) raiseRuntime(err::InvalidCall, source_);
        std::vector<Rec> add;
        add.reserve(items.size());
        for (auto& p : items) add.push_back(liveRecord(p ? std::move(p) : std::make_shared<T>()));
        recs_.insert(recs_.begin() + (beforePosition - 1), add.begin(), add.end());
    }

    struct Splice {
        int at = 1;
        int count = 0;
        std::vector<Ptr> items;
    };

    // As KeyedCollection::spliceRanges.
    void spliceRanges(std::vector<Splice> edits) {
        size_t next = 0, removed = 0, added = 0;
        for (const Splice& e : edits) {
            if (e.at < 1 || e.count < 0 || static_cast<size_t>(e.at - 1) < next ||
                static_cast<size_t>(e.at - 1) + static_cast<size_t>(e.count) > recs_.size())
                raiseRuntime(err::InvalidCall, source_);
            next = static_cast<size_t>(e.at - 1) + static_cast<size_t>(e.count);
            removed += static_cast<size_t>(e.count);
            added += e.items.size();
        }
        std::vector<Rec> out;
        out.reserve(recs_.size() - removed + added);
        size_t in = 0;
        for (Splice& e : edits) {
            const size_t from = static_cast<size_t>(e.at - 1);
            while (in < from) out.push_back(recs_[in++]);
            for (int c = 0; c < e.count; ++c) release(recs_[in++]);
            for (auto& p : e.items) out.push_back(liveRecord(p ? std::move(p) : std::make_shared<T>()));
        }
        while (in < recs_.size()) out.push_back(recs_[in++]);
        recs_ = std::move(out);
    }

    void clear() {
        recs_.clear();
        live_.clear();
        free_.clear();
        keys_.clear();
        keyNames_.clear();
        clearCompact();
    }

    const std::string& errorSource() const { return source_; }

    // Bytes the list holds: records, objects made and the derived list's own.
    size_t bytesHeld() const {
        return recs_.capacity() * sizeof(Rec) + (live_.size() - free_.size()) * (sizeof(T) + 48) +
               free_.capacity() * sizeof(uint32_t) + compactBytes();
    }

protected:
    // A new object for a record that is not live.
    virtual Ptr unpack(const Rec& r) const = 0;
    virtual void clearCompact() {}
    virtual size_t compactBytes() const { return 0; }

    const Rec& record(size_t i) const { return recs_[i]; }
    Rec& record(size_t i) { return recs_[i]; }
    // The object of a live record.
    const T& liveObject(const Rec& r) const { return *live_[r.where]; }
    T& liveObject(const Rec& r) { return *live_[r.where]; }
    void appendRecord(const Rec& r) { recs_.push_back(r); }
    size_t recordCount() const { return recs_.size(); }

    // The member's object, made from its record on first use.
    const Ptr& object(size_t i) const {
        Rec& r = recs_[i];
        if (!r.live) {
            Ptr p = unpack(r);
            r.where = store(std::move(p));
            r.live = true;
        }
        return live_[r.where];
    }

    // Removes the members at the positions for which keep(position) is false,
    // without making objects.
    template <class Keep>
    void retainPositions(Keep keep) {
        size_t out = 0;
        for (size_t in = 0; in < recs_.size(); ++in) {
            if (keep(static_cast<int>(in + 1))) {
                if (out != in) recs_[out] = recs_[in];
                ++out;
            } else {
                release(recs_[in]);
            }
        }
        recs_.resize(out);
    }

private:
    void checkPosition(int position) const {
        if (position < 1 || position > Count()) raiseRuntime(err::InvalidCall, source_);
    }

    size_t indexOfKey(const std::string& key) const {
        auto it = keys_.find(key);
        if (it == keys_.end()) raiseRuntime(err::InvalidCall, source_);
        const T* target = it->second.get();
        for (size_t i = 0; i < recs_.size(); ++i)
            if (recs_[i].live && live_[recs_[i].where].get() == target) return i;
        raiseRuntime(err::InvalidCall, source_);
    }

    uint32_t store(Ptr p) const {
        if (!free_.empty()) {
            uint32_t w = free_.back();
            free_.pop_back();
            live_[w] = std::move(p);
            return w;
        }
        if (live_.size() >= UINT32_MAX) raiseRuntime(err::Overflow, source_);
        live_.push_back(std::move(p));
        return static_cast<uint32_t>(live_.size() - 1);
    }

    Rec liveRecord(Ptr p) const {
        Rec r{};
        r.where = store(std::move(p));
        r.live = true;
        return r;
    }

    void release(const Rec& r) {
        if (!r.live) return;
        Ptr& p = live_[r.where];
        if (!keyNames_.empty()) {
            auto it = keyNames_.find(p.get());
            if (it != keyNames_.end()) {
                keys_.erase(it->second);
                keyNames_.erase(it);
            }
        }
        p.reset();
        free_.push_back(r.where);
    }

    Ptr insertAt(size_t index, Ptr item, const std::string& key) {
        if (!item) item = std::make_shared<T>();
        if (!key.empty() && keys_.count(key)) raiseRuntime(err::DuplicateKey, source_);
        Rec r = liveRecord(item);
        if (!key.empty()) {
            keys_.emplace(key, item);
            keyNames_.emplace(item.get(), key);
        }
        recs_.insert(recs_.begin() + static_cast<std::ptrdiff_t>(index), r);
        return item;
    }

    void eraseAt(size_t index) {
        release(recs_[index]);
        recs_.erase(recs_.begin() + static_cast<std::ptrdiff_t>(index));
    }

    std::string source_;
    mutable std::vector<Rec> recs_;
    mutable std::deque<Ptr> live_;
    mutable std::vector<uint32_t> free_;
    std::unordered_map<std::string, Ptr> keys_;
    std::unordered_map<const T*, std::string> keyNames_;
};

}  // namespace modkit
