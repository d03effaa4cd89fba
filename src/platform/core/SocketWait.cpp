// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/SocketWait.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <cerrno>
#include <poll.h>
#endif

namespace SocketWait {

Ready wait(int socket, bool forWrite, int ms)
{
    if (socket < 0)
        return Ready::Yes;
#ifdef Q_OS_WIN
    WSAPOLLFD fd{};
    fd.fd = SOCKET(socket);
    fd.events = forWrite ? POLLWRNORM : POLLRDNORM;
    const int n = WSAPoll(&fd, 1, ms);
#else
    pollfd fd{};
    fd.fd = socket;
    fd.events = forWrite ? POLLOUT : POLLIN;
    int n = 0;
    do {
        n = ::poll(&fd, 1, ms);
    } while (n < 0 && errno == EINTR);
#endif
    return n == 0 ? Ready::TimedOut : Ready::Yes;
}

} // namespace SocketWait
