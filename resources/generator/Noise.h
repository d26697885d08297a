// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <cstdint>

namespace velmora::pictures {

// Hash noise, so that the pictures come out the same on every machine and every run
// (the standard library's distributions differ between implementations).
inline double Hash(int x, int y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return static_cast<double>(h) / 4294967295.0;
}

// Smooth value noise in [0, 1] with features about `scaleX` by `scaleY` pixels.
inline double ValueNoise(double x, double y, double scaleX, double scaleY, std::uint32_t seed) {
    const double fx = x / scaleX;
    const double fy = y / scaleY;
    const int ix = static_cast<int>(std::floor(fx));
    const int iy = static_cast<int>(std::floor(fy));
    const double tx = fx - ix;
    const double ty = fy - iy;
    const double sx = tx * tx * (3 - 2 * tx);
    const double sy = ty * ty * (3 - 2 * ty);
    const double a = Hash(ix, iy, seed);
    const double b = Hash(ix + 1, iy, seed);
    const double c = Hash(ix, iy + 1, seed);
    const double d = Hash(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// A few octaves of value noise, in [0, 1].
inline double Fractal(double x, double y, double scaleX, double scaleY, std::uint32_t seed,
                      int octaves = 4) {
    double sum = 0;
    double weight = 1;
    double total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * ValueNoise(x, y, scaleX, scaleY, seed + static_cast<std::uint32_t>(i));
        total += weight;
        weight *= 0.5;
        scaleX *= 0.5;
        scaleY *= 0.5;
    }
    return sum / total;
}

} // namespace velmora::pictures
