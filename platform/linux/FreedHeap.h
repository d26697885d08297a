// SPDX-License-Identifier: MIT
#pragma once

#include <QTimer>

namespace velmora::linux_impl {

// glibc maps buffers above an adaptive threshold afresh and unmaps them at their free.
// Registering into a 10,000-entry list, whose buffers are all made again for each picture,
// then faulted in about 580 pages a picture: on a busy machine, most of its time. Buffers up
// to 32 MiB are kept on the heap instead, and the heap given back once list work has rested.
class FreedHeap {
  public:
    FreedHeap();

    // After work with large buffers: the heap goes back to the system once none has come for
    // a while, so a run of pictures reuses it and an idle program does not hold it.
    void ReturnWhenIdle();

    // Gives freed heap back now.
    static void Return();

  private:
    QTimer idle_;
};

} // namespace velmora::linux_impl
