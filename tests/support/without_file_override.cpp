#include "support/without_file_override.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tamberline::testing {

namespace {

constexpr uint32_t kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool Get(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}

bool Set(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

WithoutFileOverride::WithoutFileOverride() {
    __user_cap_data_struct data[2] = {};
    if (!Get(data) || (data[0].effective & kOverrides) == 0) {
        return;
    }
    savedEffective_ = data[0].effective;
    data[0].effective &= ~kOverrides;
    changed_ = Set(data);
}

WithoutFileOverride::~WithoutFileOverride() {
    __user_cap_data_struct data[2] = {};
    if (changed_ && Get(data)) {
        data[0].effective = savedEffective_;
        Set(data);
    }
}

}  // namespace tamberline::testing
