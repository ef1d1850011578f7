// Prints the program's elapsed-time clock in milliseconds. The clock test runs it in a time
// namespace whose boot clock is ahead of the monotonic clock, as after a suspend.
#include <cstdio>

#include "platform/Clock.h"

int main() {
    const SystemClock clock;
    std::printf("%lld\n", static_cast<long long>(clock.monotonicMs()));
    return 0;
}
