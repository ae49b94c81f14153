#include "platform/memory_privacy.h"

#include <sys/resource.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace corvane {

void keepMemoryPrivate() {
    const rlimit none{0, 0};
    (void)::setrlimit(RLIMIT_CORE, &none);
#ifdef __linux__
    (void)::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

}  // namespace corvane
