#include "platform/private/UniqueFd.h"

#include <cerrno>
#include <unistd.h>

void UniqueFd::reset(int fd) noexcept
{
    if (m_fd >= 0) {
        const int saved = errno;
        ::close(m_fd);
        errno = saved;
    }
    m_fd = fd;
}

int UniqueFd::close() noexcept
{
    if (m_fd < 0)
        return 0;
    const int result = ::close(release());
    return result == 0 ? 0 : errno;
}
