// A raw client of the control socket for tests. Every wait is a poll() with
// a deadline, so a missing answer fails the test instead of hanging it.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace testing {

inline bool isFinalLine(const std::string& line)
{
    return line == "ok" || line.starts_with("error ");
}

class ControlClient {
public:
    explicit ControlClient(const std::string& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path) {
            error_ = ENAMETOOLONG;
            return;
        }
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            error_ = errno;
            close(fd_);
            fd_ = -1;
        }
    }
    ~ControlClient()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    int connectError() const { return error_; }

    bool send(std::string_view text)
    {
        while (!text.empty()) {
            const ssize_t n = ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            text.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }
    void finishSending() { shutdown(fd_, SHUT_WR); }

    // Lines until `answers` answers have ended ("ok" / "error ..."), or
    // until the deadline or the end of the connection.
    std::vector<std::string> readAnswers(int answers, int timeoutMs = 5000)
    {
        std::vector<std::string> lines;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (answers > 0) {
            const std::size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                lines.push_back(buffer_.substr(0, end));
                buffer_.erase(0, end + 1);
                if (isFinalLine(lines.back()))
                    --answers;
                continue;
            }
            if (!fill(deadline))
                break;
        }
        return lines;
    }

    // True when the server closes the connection before the deadline; what
    // it still sends is kept for readAnswers.
    bool waitClosed(int timeoutMs = 5000)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (fill(deadline)) {
        }
        return closed_;
    }

private:
    using Clock = std::chrono::steady_clock;

    // One read; false at the deadline, at the end of the stream or on error.
    bool fill(Clock::time_point deadline)
    {
        if (fd_ < 0 || closed_)
            return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd_, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        char chunk[65536];
        const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            closed_ = true;
            return false;
        }
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    int fd_ = -1;
    int error_ = 0;
    bool closed_ = false;
    std::string buffer_;
};

} // namespace testing
