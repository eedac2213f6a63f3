#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "modkit/core/Error.h"

namespace modkit {

// The ordered, 1-based collection with optional text keys that every list of the
// library is built on. Elements are shared: Item hands out the stored object.
// Keys are found through a hash map; positions are a plain vector, so Item by
// position is O(1) and an insertion or removal moves the tail once.
template <class T>
class MODKIT_EXPORT KeyedCollection {
public:
    using Ptr = std::shared_ptr<T>;

private:
    struct Slot {
        Ptr item;
        std::unique_ptr<std::string> key;  // most members carry none
    };

public:
    explicit KeyedCollection(std::string source = "Modkit") : source_(std::move(source)) {}
    KeyedCollection(const KeyedCollection&) = delete;
    KeyedCollection& operator=(const KeyedCollection&) = delete;
    virtual ~KeyedCollection() = default;

    // Appends (a new element when item is null), under key when key is not empty.
    Ptr Add(Ptr item = nullptr, const std::string& key = std::string()) {
        return insertAt(slots_.size(), std::move(item), key);
    }
    // Inserts before the member at the 1-based position.
    Ptr Add(Ptr item, const std::string& key, int beforePosition) {
        checkPosition(beforePosition);
        return insertAt(static_cast<size_t>(beforePosition - 1), std::move(item), key);
    }
    // Inserts before the member under beforeKey; an empty beforeKey appends.
    Ptr Add(Ptr item, const std::string& key, const std::string& beforeKey) {
        if (beforeKey.empty()) return Add(std::move(item), key);
        return insertAt(indexOfKey(beforeKey), std::move(item), key);
    }
    Ptr Add(Ptr item, const std::string& key, const char* beforeKey) {
        return Add(std::move(item), key, std::string(beforeKey ? beforeKey : ""));
    }

    const Ptr& Item(int position) const {
        checkPosition(position);
        return slots_[static_cast<size_t>(position - 1)].item;
    }
    const Ptr& Item(const std::string& key) const {
        auto it = keys_.find(key);
        if (it == keys_.end()) raiseRuntime(err::InvalidCall, source_);
        return it->second;
    }
    const Ptr& Item(const char* key) const { return Item(std::string(key ? key : "")); }

    int Count() const { return static_cast<int>(slots_.size()); }

    void Remove(int position) {
        checkPosition(position);
        eraseAt(static_cast<size_t>(position - 1));
    }
    void Remove(const std::string& key) { eraseAt(indexOfKey(key)); }
    void Remove(const char* key) { Remove(std::string(key ? key : "")); }

    // The key of the member at a position (empty when it has none).
    std::string keyOf(int position) const {
        checkPosition(position);
        const auto& k = slots_[static_cast<size_t>(position - 1)].key;
        return k ? *k : std::string();
    }

    // Range-for over the members in order.
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Ptr;
        using difference_type = std::ptrdiff_t;
        using pointer = const Ptr*;
        using reference = const Ptr&;
        const_iterator() = default;
        reference operator*() const { return it_->item; }
        pointer operator->() const { return &it_->item; }
        const_iterator& operator++() { ++it_; return *this; }
        const_iterator operator++(int) { auto c = *this; ++it_; return c; }
        const_iterator& operator--() { --it_; return *this; }
        const_iterator& operator+=(difference_type n) { it_ += n; return *this; }
        const_iterator operator+(difference_type n) const { auto c = *this; c.it_ += n; return c; }
        difference_type operator-(const const_iterator& o) const { return it_ - o.it_; }
        bool operator==(const const_iterator& o) const { return it_ == o.it_; }
        bool operator!=(const const_iterator& o) const { return it_ != o.it_; }
    private:
        friend class KeyedCollection;
        using SlotIter = typename std::vector<Slot>::const_iterator;
        explicit const_iterator(SlotIter it) : it_(it) {}
        SlotIter it_;
    };
    const_iterator begin() const { return const_iterator(slots_.cbegin()); }
    const_iterator end() const { return const_iterator(slots_.cend()); }

    // Bulk edits for the library's own batch algorithms: one pass over the
    // list instead of one shift per element.
    void reserve(size_t n) { slots_.reserve(n); }

    // Removes every member for which keep(position, item) is false, in one pass.
    template <class Keep>
    void retainIf(Keep keep) {
        size_t out = 0;
        for (size_t in = 0; in < slots_.size(); ++in) {
            if (keep(static_cast<int>(in + 1), slots_[in].item)) {
                if (out != in) slots_[out] = std::move(slots_[in]);
                ++out;
            } else if (slots_[in].key) {
                keys_.erase(*slots_[in].key);
            }
        }
        slots_.resize(out);
    }

    // Inserts items (without keys) before the 1-based position; Count()+1 appends.
    void insertRange(int beforePosition, std::vector<Ptr> items) {
        if (beforePosition < 1 || beforePosition > Count() + 1) raiseRuntime(err::InvalidCall, source_);
        std::vector<Slot> add;
        add.reserve(items.size());
        for (auto& p : items) add.push_back(Slot{p ? std::move(p) : std::make_shared<T>(), nullptr});
        slots_.insert(slots_.begin() + (beforePosition - 1), std::make_move_iterator(add.begin()),
                      std::make_move_iterator(add.end()));
    }

    // One replacement of a batch: `count` members from the 1-based position `at`
    // give way to `items` (without keys); count 0 inserts before `at`.
    struct Splice {
        int at = 1;
        int count = 0;
        std::vector<Ptr> items;
    };

    // Applies replacements given in ascending, non-overlapping order, all
    // positions counted in the collection as it is now, in one pass. Bad
    // positions raise error 5 before anything changes.
    void spliceRanges(std::vector<Splice> edits) {
        size_t next = 0, removed = 0, added = 0;
        for (const Splice& e : edits) {
            if (e.at < 1 || e.count < 0 || static_cast<size_t>(e.at - 1) < next ||
                static_cast<size_t>(e.at - 1) + static_cast<size_t>(e.count) > slots_.size())
                raiseRuntime(err::InvalidCall, source_);
            next = static_cast<size_t>(e.at - 1) + static_cast<size_t>(e.count);
            removed += static_cast<size_t>(e.count);
            added += e.items.size();
        }
        std::vector<Slot> out;
        out.reserve(slots_.size() - removed + added);
        size_t in = 0;
        for (Splice& e : edits) {
            const size_t from = static_cast<size_t>(e.at - 1);
            while (in < from) out.push_back(std::move(slots_[in++]));
            for (int c = 0; c < e.count; ++c, ++in)
                if (slots_[in].key) keys_.erase(*slots_[in].key);
            for (auto& p : e.items) out.push_back(Slot{p ? std::move(p) : std::make_shared<T>(), nullptr});
        }
        while (in < slots_.size()) out.push_back(std::move(slots_[in++]));
        slots_ = std::move(out);
    }

    void clear() {
        slots_.clear();
        keys_.clear();
    }

    const std::string& errorSource() const { return source_; }

private:
    void checkPosition(int position) const {
        if (position < 1 || position > Count()) raiseRuntime(err::InvalidCall, source_);
    }

    size_t indexOfKey(const std::string& key) const {
        auto it = keys_.find(key);
        if (it == keys_.end()) raiseRuntime(err::InvalidCall, source_);
        const T* target = it->second.get();
        for (size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].key && slots_[i].item.get() == target && *slots_[i].key == key) return i;
        raiseRuntime(err::InvalidCall, source_);
    }

    Ptr insertAt(size_t index, Ptr item, const std::string& key) {
        if (!item) item = std::make_shared<T>();
        std::unique_ptr<std::string> k;
        if (!key.empty()) {
            if (keys_.count(key)) raiseRuntime(err::DuplicateKey, source_);
            keys_.emplace(key, item);
            k = std::make_unique<std::string>(key);
        }
        slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(index), Slot{item, std::move(k)});
        return item;
    }

    void eraseAt(size_t index) {
        if (slots_[index].key) keys_.erase(*slots_[index].key);
        slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(index));
    }

    std::string source_;
    std::vector<Slot> slots_;
    std::unordered_map<std::string, Ptr> keys_;
};

}  // namespace modkit
