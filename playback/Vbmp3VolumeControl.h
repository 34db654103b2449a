#pragma once

#include "playback/VolumeControl.h"

// The volumes of the MP3/WAV playback library (vbmp3_getSoftVolume and friends). Holds no
// state of its own; the library keeps the values.
class Vbmp3VolumeControl final : public VolumeControl {
public:
    StereoVolume SoftVolume() override;
    void SetSoftVolume(int32_t left, int32_t right) override;
    StereoVolume DeviceVolume() override;
    void SetDeviceVolume(int32_t left, int32_t right) override;
};
