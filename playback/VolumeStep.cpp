#include "playback/VolumeStep.h"

#include <limits>

namespace {

int32_t toInt32(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

int64_t VolumeStep::SnapToStep(int64_t value, int32_t step) {
    if (step == 0)
        return value;
    const int64_t divisor = step;
    int64_t quotient = value / divisor;  // truncated toward zero
    const int64_t remainder = value % divisor;
    const int64_t twiceRest = 2 * (remainder < 0 ? -remainder : remainder);
    const int64_t absDivisor = divisor < 0 ? -divisor : divisor;
    const int64_t away = (value < 0) != (divisor < 0) ? -1 : 1;
    if (twiceRest > absDivisor || (twiceRest == absDivisor && quotient % 2 != 0))
        quotient += away;
    return quotient * divisor;
}

StereoVolume VolumeStep::Apply(StereoVolume volume, int32_t step) {
    if (step == 0)
        return volume;
    int64_t left = volume.left;
    int64_t right = volume.right;
    const bool oneSideSilent = (left == 0) != (right == 0);
    if (step > 0 && oneSideSilent) {
        if (left != 0)
            left += step;
        else
            right += step;
    } else {
        left += step;
        right += step;
    }
    return {toInt32(SnapToStep(left, step)), toInt32(SnapToStep(right, step))};
}

StereoVolume VolumeStep::ChangeSoftVolume(VolumeControl& control, int32_t step) {
    const StereoVolume changed = Apply(control.SoftVolume(), step);
    control.SetSoftVolume(changed.left, changed.right);
    return changed;
}

QString VolumeStep::LabelText(StereoVolume volume) {
    const int32_t larger = volume.left < volume.right ? volume.right : volume.left;
    return QStringLiteral("vol.") + QString::number(larger);
}
