#include "chart/PointStore.h"

#include <algorithm>

namespace kelvo {

std::size_t PointStore::Append(double x, double y, std::string_view label) {
    const std::size_t index = count_;
    const std::size_t offset = index % ChunkSize;
    if (offset == 0 && index / ChunkSize == chunks_.size())
        chunks_.push_back(std::make_unique<Chunk>());
    Chunk& chunk = *chunks_[index / ChunkSize];
    chunk.x[offset] = x;
    chunk.y[offset] = y;
    chunk.label[offset] = labels_.Encode(label);
    if (chunk.label[offset] != LabelTable::Empty)
        ++labelled_;

    const std::size_t block = offset / BlockSize;
    if (offset % BlockSize == 0) {
        chunk.blockMinimum[block] = y;
        chunk.blockMaximum[block] = y;
    } else {
        chunk.blockMinimum[block] = std::min(chunk.blockMinimum[block], y);
        chunk.blockMaximum[block] = std::max(chunk.blockMaximum[block], y);
    }

    if (index == 0) {
        minimumX_ = maximumX_ = x;
        minimumY_ = maximumY_ = y;
    } else {
        ascending_ = ascending_ && x >= X(index - 1);
        minimumX_ = std::min(minimumX_, x);
        maximumX_ = std::max(maximumX_, x);
        minimumY_ = std::min(minimumY_, y);
        maximumY_ = std::max(maximumY_, y);
    }
    ++count_;
    return index;
}

void PointStore::Clear() {
    // Keeps the first chunk: a series that is cleared is usually filled again.
    chunks_.resize(std::min<std::size_t>(chunks_.size(), 1));
    labels_.Clear();
    count_ = 0;
    labelled_ = 0;
    ascending_ = true;
}

std::size_t PointStore::LowerBound(double x) const {
    std::size_t low = 0;
    std::size_t high = count_;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (X(middle) < x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

void PointStore::RangeY(std::size_t first, std::size_t last, double* minimum,
                        double* maximum) const {
    double low = Y(first);
    double high = low;
    std::size_t index = first;
    while (index < last) {
        const Chunk& chunk = ChunkOf(index);
        const std::size_t offset = index % ChunkSize;
        if (offset % BlockSize == 0 && index + BlockSize <= last) {
            low = std::min(low, chunk.blockMinimum[offset / BlockSize]);
            high = std::max(high, chunk.blockMaximum[offset / BlockSize]);
            index += BlockSize;
        } else {
            low = std::min(low, chunk.y[offset]);
            high = std::max(high, chunk.y[offset]);
            ++index;
        }
    }
    *minimum = low;
    *maximum = high;
}

std::size_t PointStore::MemoryBytes() const {
    return sizeof(*this) + chunks_.capacity() * sizeof(chunks_[0]) +
           chunks_.size() * sizeof(Chunk) + labels_.MemoryBytes();
}

} // namespace kelvo
