#pragma once

#include <cstdint>

// A left and a right channel volume, as the playback library passes them.
struct StereoVolume {
    int32_t left = 0;
    int32_t right = 0;

    friend bool operator==(const StereoVolume&, const StereoVolume&) = default;
};

// The playback library's two volumes, soft (scales the decoded samples) and device (the
// output stage), each per channel. The volume window and the keyboard step go through this
// so they can run against a recording stand-in as well as the real library.
class VolumeControl {
public:
    virtual ~VolumeControl() = default;

    virtual StereoVolume SoftVolume() = 0;
    virtual void SetSoftVolume(int32_t left, int32_t right) = 0;
    virtual StereoVolume DeviceVolume() = 0;
    virtual void SetDeviceVolume(int32_t left, int32_t right) = 0;
};
