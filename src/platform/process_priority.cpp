#include "platform/process_priority.h"

#include <sys/resource.h>

namespace brindle {

namespace {

int niceValueFor(std::uint32_t priorityClass) {
    switch (priorityClass) {
        case 0x40:  // idle
            return 19;
        case 0x4000:  // below normal
            return 10;
        case 0x8000:  // above normal
            return -5;
        case 0x80:  // high
            return -10;
        case 0x100:  // real time
            return -20;
        default:  // normal
            return 0;
    }
}

}  // namespace

bool SetProcessPriority(std::uint32_t priorityClass) {
    return setpriority(PRIO_PROCESS, 0, niceValueFor(priorityClass)) == 0;
}

}  // namespace brindle
