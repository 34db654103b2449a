#include "StereoDownmix.h"

namespace {
constexpr float kMinus3dB = 0.70710678f;
constexpr float kMinus6dB = 0.5f;
}  // namespace

std::vector<StereoDownmix::Place> StereoDownmix::defaultLayout(int channels) {
    using P = Place;
    switch (channels) {
    case 1:
        return {P::Centre};
    case 2:
        return {P::Left, P::Right};
    case 3:
        return {P::Left, P::Right, P::Centre};
    case 4:
        return {P::Left, P::Right, P::SurroundLeft, P::SurroundRight};
    case 5:
        return {P::Left, P::Right, P::Centre, P::SurroundLeft, P::SurroundRight};
    case 6:
        return {P::Left, P::Right, P::Centre, P::Dropped, P::SurroundLeft, P::SurroundRight};
    case 7:
        return {P::Left,       P::Right,        P::Centre,       P::Dropped,
                P::BackCentre, P::SurroundLeft, P::SurroundRight};
    default:
        break;
    }
    std::vector<Place> layout = {P::Left,         P::Right,        P::Centre,
                                 P::Dropped,      P::SurroundLeft, P::SurroundRight,
                                 P::SurroundLeft, P::SurroundRight};
    layout.resize(size_t(channels > 0 ? channels : 0), P::Unknown);
    return layout;
}

StereoDownmix::StereoDownmix(std::vector<Place> layout) {
    for (const Place place : layout) {
        float l = 0.0f;
        float r = 0.0f;
        switch (place) {
        case Place::Left:
            l = 1.0f;
            break;
        case Place::Right:
            r = 1.0f;
            break;
        case Place::Centre:
        case Place::Unknown:
            l = r = kMinus3dB;
            break;
        case Place::BackCentre:
            l = r = kMinus6dB;
            break;
        case Place::SurroundLeft:
            l = kMinus3dB;
            break;
        case Place::SurroundRight:
            r = kMinus3dB;
            break;
        case Place::Dropped:
            break;
        }
        left_.push_back(l);
        right_.push_back(r);
    }
}

void StereoDownmix::mix(const float* in, long frames, float* out) const {
    const size_t ch = left_.size();
    for (long i = 0; i < frames; ++i) {
        const float* frame = in + size_t(i) * ch;
        float l = 0.0f;
        float r = 0.0f;
        for (size_t c = 0; c < ch; ++c) {
            l += left_[c] * frame[c];
            r += right_[c] * frame[c];
        }
        out[2 * i] = l;
        out[2 * i + 1] = r;
    }
}
