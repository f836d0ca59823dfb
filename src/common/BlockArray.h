#pragma once

#include <cstddef>
#include <vector>

namespace rk {

// Storage that grows a block at a time: growing never copies what is there, so a tree of
// millions of entries never holds two copies of itself while it is read.
template <typename T, unsigned Bits>
class BlockArray {
public:
    static constexpr std::size_t blockSize = std::size_t(1) << Bits;

    [[nodiscard]] std::size_t size() const { return size_; }
    [[nodiscard]] bool empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return blocks_[i >> Bits][i & (blockSize - 1)]; }
    const T& operator[](std::size_t i) const { return blocks_[i >> Bits][i & (blockSize - 1)]; }
    void push_back(const T& value) {
        if ((size_ & (blockSize - 1)) == 0) {
            blocks_.emplace_back();
            blocks_.back().reserve(blockSize);
        }
        blocks_.back().push_back(value);
        ++size_;
    }
    void clear() {
        blocks_.clear();
        size_ = 0;
    }
    // Lets go of the last block's room beyond what it holds.
    void trim() {
        if (!blocks_.empty()) blocks_.back().shrink_to_fit();
    }
    [[nodiscard]] std::size_t bytes() const {
        std::size_t out = 0;
        for (const std::vector<T>& b : blocks_)
            out += b.capacity() * sizeof(T);
        return out;
    }

private:
    std::vector<std::vector<T>> blocks_;
    std::size_t size_ = 0;
};

}  // namespace rk
