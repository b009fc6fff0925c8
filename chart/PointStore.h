#pragma once

#include "chart/LabelTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// The points of one series. Points live in fixed chunks, so an append never
// moves the points already stored (constant time, no copying at growth), and
// each group of 8 points and each block of 64 keeps its smallest and largest y,
// so the extremes of any index range are found from a few dozen values rather
// than every point. About 22 bytes a point, label included. x and y must be
// finite.
class PointStore {
public:
    // The index of the new point.
    std::size_t Append(double x, double y, std::string_view label);
    void Clear();

    std::size_t Count() const { return count_; }
    // Changes at every Clear, so a view kept of the points knows they are new.
    std::uint64_t Generation() const { return generation_; }
    double X(std::size_t index) const { return ChunkOf(index).x[index % ChunkSize]; }
    double Y(std::size_t index) const { return ChunkOf(index).y[index % ChunkSize]; }
    std::uint32_t LabelCode(std::size_t index) const {
        return ChunkOf(index).label[index % ChunkSize];
    }
    std::string Label(std::size_t index) const { return labels_.Decode(LabelCode(index)); }
    const LabelTable& Labels() const { return labels_; }

    // True while every x was at least the one before it.
    bool Ascending() const { return ascending_; }
    bool HasLabels() const { return labelled_ > 0; }
    // Over every point; only meaningful when Count() > 0.
    double MinimumX() const { return minimumX_; }
    double MaximumX() const { return maximumX_; }
    double MinimumY() const { return minimumY_; }
    double MaximumY() const { return maximumY_; }

    // The first index whose x is not below x (Count() when none); needs Ascending().
    std::size_t LowerBound(double x) const { return LowerBound(0, x); }
    // The same, searching from first on: quick when the answer lies near first.
    std::size_t LowerBound(std::size_t first, double x) const;
    // The same again, searching outwards from guess: quick when the guess is near.
    std::size_t LowerBound(std::size_t first, std::size_t guess, double x) const;
    // Smallest and largest y of the points [first, last), first < last.
    void RangeY(std::size_t first, std::size_t last, double* minimum, double* maximum) const;

    std::size_t MemoryBytes() const;

private:
    // The first index from low on whose x is not below x, or high when none
    // before it is; x rises over [low, high).
    std::size_t HalveBracket(std::size_t low, std::size_t high, double x) const;
    static constexpr std::size_t ChunkSize = 4096;
    static constexpr std::size_t GroupSize = 8;
    static constexpr std::size_t BlockSize = 64;
    static constexpr std::size_t GroupsPerChunk = ChunkSize / GroupSize;
    static constexpr std::size_t BlocksPerChunk = ChunkSize / BlockSize;
    struct Chunk {
        std::array<double, ChunkSize> x;
        std::array<double, ChunkSize> y;
        std::array<std::uint32_t, ChunkSize> label;
        std::array<double, GroupsPerChunk> groupMinimum;
        std::array<double, GroupsPerChunk> groupMaximum;
        std::array<double, BlocksPerChunk> blockMinimum;
        std::array<double, BlocksPerChunk> blockMaximum;
    };
    const Chunk& ChunkOf(std::size_t index) const { return *chunks_[index / ChunkSize]; }

    std::vector<std::unique_ptr<Chunk>> chunks_;
    LabelTable labels_;
    std::size_t count_ = 0;
    std::size_t labelled_ = 0;
    std::uint64_t generation_ = 0;
    bool ascending_ = true;
    double minimumX_ = 0, maximumX_ = 0, minimumY_ = 0, maximumY_ = 0;
};

} // namespace kelvo
