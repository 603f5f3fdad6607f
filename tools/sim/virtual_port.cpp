#include "sim/virtual_port.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace varkon::sim {

namespace {

std::string Failed(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

VirtualPort::~VirtualPort() {
    hangUp();
    removeLink();
}

bool VirtualPort::open(std::string& error) {
    hangUp();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error = Failed("posix_openpt");
        return false;
    }
    const char* name = nullptr;
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || !(name = ::ptsname(master_))) {
        error = Failed("pseudo-terminal set-up");
        hangUp();
        return false;
    }
    slavePath_ = name;
    // Our own slave descriptor keeps the line up while no client has it open, so the master
    // never reports a hang-up between a client's jobs.
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    // Clients open and close the slave per job; we watch for their last close to reset the line.
    watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (slave_ < 0 || watch_ < 0 ||
        ::inotify_add_watch(watch_, slavePath_.c_str(), IN_OPEN | IN_CLOSE) < 0) {
        error = Failed(slavePath_.c_str());
        hangUp();
        return false;
    }
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    resetLine();
    if (!pointLink(error)) {
        hangUp();
        return false;
    }
    return true;
}

void VirtualPort::hangUp() {
    CloseFd(watch_);
    CloseFd(slave_);
    CloseFd(master_);
    clients_ = 0;
}

bool VirtualPort::readOpenings() {
    bool lastLeft = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(watch_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) ++clients_;
            if ((event->mask & IN_CLOSE) && clients_ > 0 && --clients_ == 0) lastLeft = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // Reset even when a new client has opened in the same batch: it has not been answered yet.
    if (lastLeft) resetLine();
    return lastLeft;
}

int VirtualPort::unreadBytes() const {
    int waiting = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &waiting) != 0) return 0;
    return waiting;
}

void VirtualPort::releaseReservation() {
    ::ioctl(slave_, TIOCNXCL);
}

// What a real line is like when nobody has it open: not reserved, raw, and with nothing waiting
// to be read (answers sent to a closed port are lost).
void VirtualPort::resetLine() {
    releaseReservation();
    termios raw{};
    if (::tcgetattr(master_, &raw) == 0) {
        ::cfmakeraw(&raw);
        raw.c_cflag |= CLOCAL | CREAD;
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        ::cfsetispeed(&raw, B9600);
        ::cfsetospeed(&raw, B9600);
        ::tcsetattr(master_, TCSANOW, &raw);
    }
    // Only the input queue: flushing output would also drop what a client wrote and we have not
    // read yet.
    ::tcflush(slave_, TCIFLUSH);
}

bool VirtualPort::pointLink(std::string& error) {
    if (linkPath_.empty()) return true;
    struct stat st {};
    if (::lstat(linkPath_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = linkPath_ + " exists and is not a symbolic link";
        return false;
    }
    // A new link under a temporary name renamed over the old one: a client never finds no link.
    const std::string temporary = linkPath_ + ".new-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(slavePath_.c_str(), temporary.c_str()) != 0) {
        error = Failed(linkPath_.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), linkPath_.c_str()) != 0) {
        error = Failed(linkPath_.c_str());
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

// Only our own link goes: if someone has pointed it elsewhere meanwhile, it is theirs.
void VirtualPort::removeLink() {
    if (linkPath_.empty() || slavePath_.empty()) return;
    char target[4096];
    const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == slavePath_) {
        ::unlink(linkPath_.c_str());
    }
}

}  // namespace varkon::sim
