#include "platform/com/Unknown.h"

namespace kelvo {

std::atomic<long>& LiveObjectCount() {
    static std::atomic<long> count{0};
    return count;
}

} // namespace kelvo
