#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kelvo {

// Point labels in four bytes each. A label of the form "HH:MM:SS" (the time
// stamp a monitor gives every point) is kept as its second of the day; any other
// text is kept once and shared by every point that carries it.
class LabelTable {
public:
    std::uint32_t Encode(std::string_view text);
    std::string Decode(std::uint32_t code) const;
    void Clear();
    std::size_t MemoryBytes() const;

    static constexpr std::uint32_t Empty = 0;

private:
    std::vector<std::string> texts_;
    std::unordered_map<std::string, std::uint32_t> codes_;
};

} // namespace kelvo
