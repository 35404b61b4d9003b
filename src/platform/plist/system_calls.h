#pragma once

#include <sys/types.h>

namespace voltaro::sys {

// The system calls through which files are replaced and locked. Tests swap single entries to make
// a call fail, or to end the process at a chosen step; the program itself never changes them.
struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
    int (*flock)(int fd, int operation);
};

// The calls in use. Not synchronised: swap entries only while no other thread writes files.
SystemCalls& systemCalls();

const SystemCalls& realSystemCalls();

}  // namespace voltaro::sys
