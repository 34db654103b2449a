#pragma once

#include <string>
#include <vector>

// What the SDL disk driver wrote: interleaved stereo float samples at the rate the device was
// opened with. The driver opens its file when the shared device opens and writes to it until
// the device closes, silence included, so one capture holds everything played in between.
class AudioCapture {
public:
    explicit AudioCapture(std::string path);

    // Points the disk driver at this capture's file for the next device open.
    void arm() const;
    // Closes the shared device (nothing may be attached) so that the driver has written
    // everything, and reads the file back.
    bool load();

    const std::vector<float>& samples() const { return samples_; }
    long frames() const { return long(samples_.size() / 2); }

    // One channel of the part that holds sound, without `marginFrames` at either end.
    std::vector<float> soundOf(int channel, long marginFrames = 0) const;
    // Frames before the first sample that is not silence; -1 when all is silence.
    long firstSound() const;

    // Frequency from the rising zero crossings, and the peak amplitude of a sine from its RMS.
    static double frequency(const std::vector<float>& channel, int rate);
    static double amplitude(const std::vector<float>& channel);

private:
    std::string path_;
    std::vector<float> samples_;
};
