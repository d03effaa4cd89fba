// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Waiting on a network socket that a library (the PostgreSQL client) opened.
namespace SocketWait {

enum class Ready { Yes, TimedOut };

// Waits up to ms milliseconds until the socket can be read (or written, when
// forWrite), or has failed, which the library then reports itself.
Ready wait(int socket, bool forWrite, int ms);

} // namespace SocketWait
