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

    const std::size_t group = offset / GroupSize;
    if (offset % GroupSize == 0) {
        chunk.groupMinimum[group] = y;
        chunk.groupMaximum[group] = y;
    } else {
        chunk.groupMinimum[group] = std::min(chunk.groupMinimum[group], y);
        chunk.groupMaximum[group] = std::max(chunk.groupMaximum[group], y);
    }
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
    ++generation_;
}

std::size_t PointStore::HalveBracket(std::size_t low, std::size_t high, double x) const {
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (X(middle) < x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

std::size_t PointStore::LowerBound(std::size_t first, double x) const {
    // Gallop from first to bracket the answer, then halve the bracket.
    std::size_t low = first;
    std::size_t step = 1;
    while (low + step < count_ && X(low + step - 1) < x) {
        low += step;
        step *= 2;
    }
    std::size_t high = std::min(count_, low + step);
    return HalveBracket(low, high, x);
}

std::size_t PointStore::LowerBound(std::size_t first, std::size_t guess, double x) const {
    guess = std::clamp(guess, first, std::max(first, count_));
    if (guess < count_ && X(guess) < x)
        return LowerBound(guess + 1, x);
    // The answer is at guess or before it: gallop back, then halve.
    std::size_t high = std::min(guess, std::max(first, count_));
    std::size_t step = 1;
    while (high - first >= step && X(high - step) >= x) {
        high -= step;
        step *= 2;
    }
    std::size_t low = high - first >= step ? high - step + 1 : first;
    return HalveBracket(low, high, x);
}

void PointStore::RangeY(std::size_t first, std::size_t last, double* minimum,
                        double* maximum) const {
    double low = Y(first);
    double high = low;
    auto take = [&low, &high](double smallest, double largest) {
        low = std::min(low, smallest);
        high = std::max(high, largest);
    };
    std::size_t index = first;
    while (index < last) {
        const Chunk& chunk = ChunkOf(index);
        const std::size_t begin = index % ChunkSize;
        const std::size_t end = std::min(ChunkSize, begin + (last - index));
        // Coarser steps inwards from both ends: points, groups, blocks, groups, points.
        std::size_t offset = begin;
        for (; offset < end && offset % GroupSize != 0; ++offset)
            take(chunk.y[offset], chunk.y[offset]);
        for (; offset % BlockSize != 0 && offset + GroupSize <= end; offset += GroupSize)
            take(chunk.groupMinimum[offset / GroupSize], chunk.groupMaximum[offset / GroupSize]);
        for (; offset + BlockSize <= end; offset += BlockSize)
            take(chunk.blockMinimum[offset / BlockSize], chunk.blockMaximum[offset / BlockSize]);
        for (; offset + GroupSize <= end; offset += GroupSize)
            take(chunk.groupMinimum[offset / GroupSize], chunk.groupMaximum[offset / GroupSize]);
        for (; offset < end; ++offset)
            take(chunk.y[offset], chunk.y[offset]);
        index += end - begin;
    }
    *minimum = low;
    *maximum = high;
}

std::size_t PointStore::MemoryBytes() const {
    return sizeof(*this) + chunks_.capacity() * sizeof(chunks_[0]) +
           chunks_.size() * sizeof(Chunk) + labels_.MemoryBytes();
}

} // namespace kelvo
