#pragma once

#include <QtGlobal>

// A bounded, buffered window onto an open file for walking a tag: reads go through one small
// buffer, skips beyond it become seeks, so a large picture frame costs no read at all. With
// unsynchronisation on, every 0xFF 0x00 pair reads as 0xFF (skips then have to scan).
class clsTagStream {
public:
    clsTagStream(int fd, qint64 end) : fd_(fd), end_(end) {}
    clsTagStream(const clsTagStream&) = delete;
    clsTagStream& operator=(const clsTagStream&) = delete;

    // Copies the next `count` bytes; false (with the window used up) when it ends first or the
    // file cannot be read.
    bool Read(char* destination, qint64 count);
    bool Skip(qint64 count);

    void SetEnd(qint64 end) { end_ = qMin(end, end_); }
    void SetUnsynchronised(bool on) { unsynchronised_ = on; }
    qint64 Position() const { return position_; }

private:
    bool Consume(char* destination, qint64 count);
    bool Fill();
    void Fail() {
        position_ = end_;
        bufferLength_ = 0;
    }

    static constexpr qint64 kBufferSize = 2048;

    int fd_;
    qint64 end_;
    qint64 position_ = 0;  // file offset of the next raw byte
    bool unsynchronised_ = false;
    bool afterFF_ = false;
    qint64 bufferStart_ = 0;
    qint64 bufferLength_ = 0;
    char buffer_[kBufferSize];
};
