// The control channel's socket. One background thread polls the listening
// socket, a stop signal and every connection, so a client that connects and
// never writes, or never reads its answer, holds up nobody: all socket I/O
// is non-blocking with a buffer per connection. Requests are answered in
// the order they arrive on a connection.
#include "library.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vmouse {
namespace {

constexpr std::size_t kMaxLine = 64 * 1024;    // longer: refused, connection closed
constexpr std::size_t kMaxPending = 1 << 20;   // stop reading while this much answer waits
constexpr std::size_t kMaxConnections = 64;    // further clients wait in the backlog

struct Connection {
    int fd = -1;
    std::string in, out;
    bool closing = false; // the client sent everything: answer, then close
    bool dead = false;
};

struct Server {
    std::string path;
    int listenFd = -1;
    int stopFd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
    pid_t owner = 0; // a forked child must not remove its parent's socket
    std::thread thread;
};

// Never destroyed: the thread may still run while the process exits.
struct ServerSlot {
    std::mutex mutex;
    Server* server = nullptr;
    bool atExitRegistered = false;
};

ServerSlot& serverSlot()
{
    static ServerSlot* slot = new ServerSlot;
    return *slot;
}

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// Removes the socket file only if it is still the one this process bound.
void removeSocketFile(const Server& server)
{
    struct stat st {};
    if (server.owner == getpid() && lstat(server.path.c_str(), &st) == 0 &&
        st.st_dev == server.dev && st.st_ino == server.ino)
        unlink(server.path.c_str());
}

void removeSocketFileAtExit()
{
    ServerSlot& slot = serverSlot();
    std::lock_guard lock(slot.mutex);
    if (slot.server)
        removeSocketFile(*slot.server);
}

bool fillAddress(const std::string& path, sockaddr_un& address, std::string& error)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "socket path '" + path + "' is empty or too long";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A socket file nobody accepts on is left over from a process that ended
// without cleaning up; anything else at the path is not ours to remove.
bool clearStaleSocket(const sockaddr_un& address, std::string& error)
{
    const char* path = address.sun_path;
    struct stat st {};
    if (lstat(path, &st) != 0) {
        if (errno == ENOENT)
            return true;
        error = systemError(std::string("cannot examine ") + path);
        return false;
    }
    if (!S_ISSOCK(st.st_mode)) {
        error = std::string(path) + " exists and is not a socket; left alone";
        return false;
    }
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        error = systemError("socket");
        return false;
    }
    const int connected = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int connectError = errno;
    close(probe);
    if (connected == 0 || connectError == EAGAIN || connectError == EINPROGRESS) {
        error = std::string(path) + " is served by another process; left alone";
        return false;
    }
    if (connectError != ECONNREFUSED) {
        errno = connectError;
        error = systemError(std::string("cannot probe ") + path);
        return false;
    }
    if (unlink(path) != 0 && errno != ENOENT) {
        error = systemError(std::string("cannot remove stale ") + path);
        return false;
    }
    return true;
}

// Bound, private to the user, then listening: before listen() nobody can
// connect, so no client ever reaches the socket with looser permissions.
int openListener(const sockaddr_un& address, Server& server, std::string& error)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = systemError("socket");
        return -1;
    }
    struct stat st {};
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = systemError("cannot bind " + server.path);
        close(fd);
        return -1;
    }
    if (chmod(address.sun_path, 0600) != 0 || lstat(address.sun_path, &st) != 0 ||
        listen(fd, 16) != 0) {
        error = systemError("cannot set up " + server.path);
        unlink(address.sun_path);
        close(fd);
        return -1;
    }
    server.dev = st.st_dev;
    server.ino = st.st_ino;
    return fd;
}

void answerLines(Connection& c)
{
    for (std::size_t end; (end = c.in.find('\n')) != std::string::npos;) {
        c.out += controlRequest(c.in.substr(0, end));
        c.in.erase(0, end + 1);
    }
    if (c.in.size() > kMaxLine) {
        c.out += "error request longer than " + std::to_string(kMaxLine) + " bytes\n";
        c.in.clear();
        c.closing = true;
    }
}

void receive(Connection& c)
{
    char buffer[4096];
    while (!c.closing) {
        const ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            c.in.append(buffer, static_cast<std::size_t>(n));
            answerLines(c);
            if (c.out.size() >= kMaxPending)
                return;
            continue;
        }
        if (n == 0) {
            // The client has said all it will; a last line may lack its '\n'.
            if (c.in.find_first_not_of(" \t\r") != std::string::npos)
                c.out += controlRequest(c.in);
            c.in.clear();
            c.closing = true;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            c.dead = true;
        }
        return;
    }
}

void transmit(Connection& c)
{
    while (!c.out.empty() && !c.dead) {
        const ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            c.out.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                c.dead = true; // the client went away: its answers are lost
            return;
        }
    }
}

void serve(Server& server)
{
    std::vector<Connection> connections;
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{server.stopFd, POLLIN, 0},
                    {server.listenFd,
                     static_cast<short>(connections.size() < kMaxConnections ? POLLIN : 0), 0}});
        for (const Connection& c : connections) {
            short events = 0;
            if (!c.closing && c.out.size() < kMaxPending)
                events |= POLLIN;
            if (!c.out.empty())
                events |= POLLOUT;
            fds.push_back({c.fd, events, 0});
        }
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents)
            break;
        for (std::size_t i = 0; i < connections.size(); ++i) {
            Connection& c = connections[i];
            const short revents = fds[i + 2].revents;
            if (revents & (POLLIN | POLLHUP | POLLERR))
                receive(c);
            transmit(c);
            if ((revents & POLLNVAL) || (c.closing && c.out.empty()))
                c.dead = true;
        }
        std::erase_if(connections, [](const Connection& c) {
            if (c.dead)
                close(c.fd);
            return c.dead;
        });
        if (fds[1].revents & POLLIN) {
            while (connections.size() < kMaxConnections) {
                const int fd = accept4(server.listenFd, nullptr, nullptr,
                                       SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0)
                    break;
                connections.emplace_back().fd = fd;
            }
        }
    }
    for (const Connection& c : connections)
        close(c.fd);
}

} // namespace

bool serveControl(const std::string& path, std::string* errorOut)
{
    std::string ignored;
    std::string& error = errorOut ? *errorOut : ignored;
    ServerSlot& slot = serverSlot();
    std::lock_guard lock(slot.mutex);
    if (slot.server) {
        error = "already serving " + slot.server->path;
        return false;
    }
    sockaddr_un address;
    if (!fillAddress(path, address, error) || !clearStaleSocket(address, error))
        return false;

    auto server = std::make_unique<Server>();
    server->path = path;
    server->owner = getpid();
    server->stopFd = eventfd(0, EFD_CLOEXEC);
    if (server->stopFd < 0) {
        error = systemError("eventfd");
        return false;
    }
    server->listenFd = openListener(address, *server, error);
    if (server->listenFd < 0) {
        close(server->stopFd);
        return false;
    }

    // The program's signals are for the program's threads, not this one.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    server->thread = std::thread(serve, std::ref(*server));
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    if (!slot.atExitRegistered)
        slot.atExitRegistered = std::atexit(removeSocketFileAtExit) == 0;
    slot.server = server.release();
    return true;
}

void stopControl()
{
    ServerSlot& slot = serverSlot();
    std::lock_guard lock(slot.mutex);
    if (!slot.server)
        return;
    std::unique_ptr<Server> server(slot.server);
    slot.server = nullptr;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(server->stopFd, &one, sizeof one);
    server->thread.join(); // an eventfd counter of 1 cannot overflow: the write lands
    removeSocketFile(*server);
    close(server->listenFd);
    close(server->stopFd);
}

} // namespace vmouse
