#include "clsTagStream.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// pread until `count` bytes or the end of the file; -1 on a read error.
qint64 ReadFully(int fd, char* destination, qint64 count, qint64 offset) {
    qint64 done = 0;
    while (done < count) {
        const ssize_t got =
            ::pread(fd, destination + done, size_t(count - done), off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

}  // namespace

bool clsTagStream::Fill() {
    const qint64 wanted = qMin(kBufferSize, end_ - position_);
    const qint64 got = wanted > 0 ? ReadFully(fd_, buffer_, wanted, position_) : 0;
    if (got <= 0) {
        Fail();
        return false;
    }
    bufferStart_ = position_;
    bufferLength_ = got;
    return true;
}

bool clsTagStream::Read(char* destination, qint64 count) {
    return Consume(destination, count);
}

bool clsTagStream::Skip(qint64 count) {
    if (count <= 0)
        return true;
    if (unsynchronised_)
        return Consume(nullptr, count);  // sizes count the restored bytes, so skipping must scan
    if (count > end_ - position_) {
        Fail();
        return false;
    }
    position_ += count;
    return true;
}

bool clsTagStream::Consume(char* destination, qint64 count) {
    if (count <= 0)
        return true;
    // A large plain read that the buffer would only relay goes straight to the destination.
    if (!unsynchronised_ && destination && count >= kBufferSize &&
        (position_ < bufferStart_ || position_ >= bufferStart_ + bufferLength_)) {
        if (count > end_ - position_ || ReadFully(fd_, destination, count, position_) != count) {
            Fail();
            return false;
        }
        position_ += count;
        return true;
    }
    while (count > 0) {
        if (position_ >= end_) {
            Fail();
            return false;
        }
        if (position_ < bufferStart_ || position_ >= bufferStart_ + bufferLength_) {
            if (!Fill())
                return false;
        }
        const char* from = buffer_ + (position_ - bufferStart_);
        const qint64 available = bufferStart_ + bufferLength_ - position_;
        if (!unsynchronised_) {
            const qint64 take = qMin(available, count);
            if (destination) {
                std::memcpy(destination, from, size_t(take));
                destination += take;
            }
            position_ += take;
            count -= take;
            continue;
        }
        qint64 used = 0;
        while (used < available && count > 0) {
            const unsigned char byte = static_cast<unsigned char>(from[used++]);
            if (afterFF_ && byte == 0) {
                afterFF_ = false;
                continue;
            }
            afterFF_ = byte == 0xFF;
            if (destination)
                *destination++ = char(byte);
            --count;
        }
        position_ += used;
    }
    return true;
}
