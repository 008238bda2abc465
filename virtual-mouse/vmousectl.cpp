// vmousectl: one request to the virtual mouse inside a running program.
//
//   vmousectl [--socket PATH] <request words...>
//
// PATH defaults to $VMOUSE_CONTROL. Prints the answer lines but the final
// "ok" and exits 0; on "error <text>" prints that line on stderr and exits 1;
// exits 2 when there is no answer (no path, cannot connect, connection lost).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kAnswerTimeoutMs = 10000;

const char* const kUsage =
    "usage: vmousectl [--socket PATH] <request words...>\n"
    "PATH defaults to $VMOUSE_CONTROL; 'vmousectl help' lists the requests.\n"
    "exit status: 0 ok, 1 the request failed, 2 no answer\n";

int usage(const char* why)
{
    std::fprintf(stderr, "vmousectl: %s\n%s", why, kUsage);
    return 2;
}

bool sendAll(int fd, const std::string& text)
{
    for (std::size_t at = 0; at < text.size();) {
        const ssize_t n = send(fd, text.data() + at, text.size() - at, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += static_cast<std::size_t>(n);
    }
    return true;
}

// Prints one answer line; returns the exit code once the final line came.
int takeLine(const std::string& line)
{
    if (line == "ok")
        return 0;
    if (line == "error" || line.starts_with("error ")) {
        std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    }
    std::printf("%s\n", line.c_str());
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const char* path = std::getenv("VMOUSE_CONTROL");
    int first = 1;
    if (argc > 1 && std::string_view(argv[1]) == "--socket") {
        if (argc < 3)
            return usage("--socket needs a path");
        path = argv[2];
        first = 3;
    }
    if (first >= argc)
        return usage("no request");
    if (!path || !*path)
        return usage("no socket: give --socket PATH or set VMOUSE_CONTROL");

    std::string request;
    for (int i = first; i < argc; ++i) {
        const std::string_view word(argv[i]);
        if (word.find_first_of("\r\n") != std::string_view::npos)
            return usage("a request is one line");
        request += (i > first ? " " : "") + std::string(word);
    }
    request += '\n';

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof address.sun_path)
        return usage("socket path too long");
    std::strcpy(address.sun_path, path);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        std::fprintf(stderr, "vmousectl: cannot connect to %s: %s\n", path, std::strerror(errno));
        return 2;
    }
    if (!sendAll(fd, request)) {
        std::fprintf(stderr, "vmousectl: cannot send to %s: %s\n", path, std::strerror(errno));
        return 2;
    }
    shutdown(fd, SHUT_WR); // one request: the server may close once it has answered

    std::string pending;
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, kAnswerTimeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            std::fprintf(stderr, "vmousectl: no answer from %s\n", path);
            return 2;
        }
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const int code = takeLine(pending.substr(0, end));
            pending.erase(0, end + 1);
            if (code >= 0) {
                std::fflush(stdout);
                close(fd);
                return code;
            }
        }
    }
    std::fprintf(stderr, "vmousectl: the connection to %s ended before the answer did\n", path);
    return 2;
}
