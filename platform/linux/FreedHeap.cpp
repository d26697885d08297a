// SPDX-License-Identifier: MIT
#include "FreedHeap.h"

#include <QCoreApplication>

#include <malloc.h>

namespace velmora::linux_impl {

namespace {
// glibc's own ceiling for the mapping threshold: a list of 100,000 entries is 15 MB.
constexpr int kMapAbove = 32 << 20;
constexpr int kRestMilliseconds = 1000;
} // namespace

FreedHeap::FreedHeap() {
    // Setting one fixes both: without a trim threshold of its own, freeing a list's buffer at
    // the heap's top would give it back at once.
    ::mallopt(M_MMAP_THRESHOLD, kMapAbove);
    ::mallopt(M_TRIM_THRESHOLD, 2 * kMapAbove);
    idle_.setSingleShot(true);
    idle_.setInterval(kRestMilliseconds);
    QObject::connect(&idle_, &QTimer::timeout, &FreedHeap::Return);
}

void FreedHeap::ReturnWhenIdle() {
    // Without an event loop nothing would ever fire: give it back at once.
    if (QCoreApplication::instance() == nullptr) {
        Return();
        return;
    }
    idle_.start();
}

void FreedHeap::Return() {
    ::malloc_trim(0);
}

} // namespace velmora::linux_impl
