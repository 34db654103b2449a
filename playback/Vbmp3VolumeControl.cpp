#include "playback/Vbmp3VolumeControl.h"

#include "playback/decoder/vbmp3.h"

StereoVolume Vbmp3VolumeControl::SoftVolume() {
    StereoVolume volume;
    vbmp3_getSoftVolume(&volume.left, &volume.right);
    return volume;
}

void Vbmp3VolumeControl::SetSoftVolume(int32_t left, int32_t right) {
    vbmp3_setSoftVolume(left, right);
}

StereoVolume Vbmp3VolumeControl::DeviceVolume() {
    StereoVolume volume;
    vbmp3_getVolume(&volume.left, &volume.right);
    return volume;
}

void Vbmp3VolumeControl::SetDeviceVolume(int32_t left, int32_t right) {
    vbmp3_setVolume(left, right);
}
