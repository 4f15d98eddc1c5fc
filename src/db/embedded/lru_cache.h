#pragma once
// A small least-recently-used map from text to values, for the translations and prepared
// statements of a session.
#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace db::embedded {

template <typename Value>
class LruCache {
  public:
    explicit LruCache(std::size_t capacity) : capacity_(capacity) {}

    // The value under key, now the most recently used; null when absent.
    Value* Find(const std::string& key) {
        const auto it = index_.find(key);
        if (it == index_.end()) return nullptr;
        order_.splice(order_.begin(), order_, it->second);
        return &it->second->second;
    }

    // Removes the value under key and hands it over.
    std::optional<Value> Take(const std::string& key) {
        const auto it = index_.find(key);
        if (it == index_.end()) return std::nullopt;
        std::optional<Value> value(std::move(it->second->second));
        order_.erase(it->second);
        index_.erase(it);
        return value;
    }

    // Stores value under key (replacing an earlier one); the least recently used entries beyond
    // the capacity are dropped.
    void Put(const std::string& key, Value value) {
        Take(key);
        order_.emplace_front(key, std::move(value));
        index_.emplace(key, order_.begin());
        while (order_.size() > capacity_) {
            index_.erase(order_.back().first);
            order_.pop_back();
        }
    }

    void Clear() {
        index_.clear();
        order_.clear();
    }

    std::size_t Size() const { return order_.size(); }

  private:
    using Entry = std::pair<std::string, Value>;
    std::size_t capacity_;
    std::list<Entry> order_;  // most recently used first
    std::unordered_map<std::string, typename std::list<Entry>::iterator> index_;
};

}  // namespace db::embedded
