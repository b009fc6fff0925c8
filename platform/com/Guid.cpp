#include "platform/com/Guid.h"

#include <cstdio>

namespace kelvo {

std::string GuidText(const Guid& guid) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.data1), guid.data2, guid.data3, guid.data4[0],
                  guid.data4[1], guid.data4[2], guid.data4[3], guid.data4[4], guid.data4[5],
                  guid.data4[6], guid.data4[7]);
    return text;
}

std::size_t GuidHash::operator()(const Guid& guid) const {
    std::size_t hash = guid.data1;
    hash = hash * 31 + guid.data2;
    hash = hash * 31 + guid.data3;
    for (std::uint8_t byte : guid.data4)
        hash = hash * 31 + byte;
    return hash;
}

} // namespace kelvo
