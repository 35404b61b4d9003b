#include "platform/plist/system_calls.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

namespace voltaro::sys {
namespace {

// open(2) is variadic; the table needs a plain function.
int openFile(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

const SystemCalls kReal{openFile, ::write, ::fsync, ::close, ::rename, ::unlink, ::flock};

}  // namespace

const SystemCalls& realSystemCalls() {
    return kReal;
}

SystemCalls& systemCalls() {
    static SystemCalls calls = kReal;
    return calls;
}

}  // namespace voltaro::sys
