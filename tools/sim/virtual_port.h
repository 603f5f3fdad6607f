// The register's end of a pseudo-terminal: the master side, plus a slave descriptor of its own so
// that clients may open and close the slave as often as they like, and an optional symlink to it.
// VirtualPort owns the descriptors and the link; the Simulator reads and writes through master().
#pragma once

#include <string>

namespace varkon::sim {

class VirtualPort {
  public:
    explicit VirtualPort(std::string linkPath) : linkPath_(std::move(linkPath)) {}
    ~VirtualPort();
    VirtualPort(const VirtualPort&) = delete;
    VirtualPort& operator=(const VirtualPort&) = delete;

    // Opens a fresh pseudo-terminal in raw mode and points the link at its slave. On failure
    // everything opened is closed again and `error` says why.
    bool open(std::string& error);
    // Closes every descriptor, as an unplugged adapter would: a client holding the slave sees a
    // hang-up. The link stays until the next open() replaces it.
    void hangUp();

    int master() const { return master_; }
    int openings() const { return watch_; }  // readable when a client opens or closes the slave
    const std::string& slavePath() const { return slavePath_; }
    bool hasClient() const { return clients_ > 0; }
    int unreadBytes() const;  // written to the client, not yet read by it

    // Reads the open and close notices; returns true when the last client has gone meanwhile.
    bool readOpenings();

    // A pseudo-terminal keeps a client's exclusive-use flag (TIOCEXCL) after the client closes
    // it, unlike a real serial line, and without CAP_SYS_ADMIN the client's next open then fails.
    // The flag is dropped when a client's first bytes arrive and again after its last close, so
    // a client that closes and reopens at once finds the line free; while it is open, only its
    // flock keeps others out.
    void releaseReservation();

  private:
    void resetLine();
    bool pointLink(std::string& error);
    void removeLink();

    std::string linkPath_;
    std::string slavePath_;
    int master_ = -1;
    int slave_ = -1;
    int watch_ = -1;
    int clients_ = 0;
};

}  // namespace varkon::sim
