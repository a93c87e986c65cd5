#pragma once

#include <cerrno>
#include <string_view>
#include <sys/socket.h>

namespace pellucor {

// Sends all of text on a connected socket, going on after interruptions and
// never raising SIGPIPE; false when the other end is gone.
inline bool sendWhole(int socket, std::string_view text) {
    for (size_t done = 0; done < text.size();) {
        ssize_t sent = ::send(socket, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0)
            return false;
        done += static_cast<size_t>(sent);
    }
    return true;
}

} // namespace pellucor
