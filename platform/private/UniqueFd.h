#pragma once

// Owns one open file descriptor and closes it when it goes, so no path of a function can leak
// one. Move-only.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const noexcept { return m_fd; }
    bool valid() const noexcept { return m_fd >= 0; }
    // Hands the descriptor over; this object no longer closes it.
    int release() noexcept
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes the current descriptor (keeping errno as it was) and takes `fd`.
    void reset(int fd = -1) noexcept;
    // Closes now and reports how: 0, or the errno of a close that failed. Written data can
    // first fail here (NFS, quotas), so a copy must not ignore it.
    int close() noexcept;

private:
    int m_fd = -1;
};
