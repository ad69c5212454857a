#include "platform/system/Threads.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace led {

void SetCurrentThreadPriority(int boardPriority) {
    int nice = boardPriority >= 4 ? 5 : 0;
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), nice);
}

void SetCurrentThreadName(const char* name) {
    char shortName[16];
    std::strncpy(shortName, name, sizeof shortName - 1);
    shortName[15] = 0;
    pthread_setname_np(pthread_self(), shortName);
}

void NotifySupervisor(const char* state) {
    const char* path = std::getenv("NOTIFY_SOCKET");
    if (!path || !*path) return;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    size_t len = std::strlen(path);
    if (len >= sizeof addr.sun_path) return;
    std::memcpy(addr.sun_path, path, len);
    if (addr.sun_path[0] == '@') addr.sun_path[0] = 0;  // abstract socket
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    sendto(fd, state, std::strlen(state), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&addr),
           socklen_t(offsetof(sockaddr_un, sun_path) + len));
    close(fd);
}

}  // namespace led
