#pragma once

#include <QtGlobal>

// The pixels of the pictures being worked on at once, across every pool of the
// process, are held to maxPixelsInFlight: a picture waits until those in flight
// leave room for it, so that memory stays bounded whatever the number of jobs and
// a row never fails for lack of memory that --jobs took. A picture larger than the
// whole budget goes alone.
namespace PixelBudget {

// Waits until the pixels fit, then holds them for the calling thread, on top of what
// it holds already (more for a thread already holding some is taken at once, so
// that no thread waits while it holds).
void hold(qint64 pixels);
// Gives back what the calling thread holds.
void release();

}

// Gives back the calling thread's pixels when it goes.
struct PixelHold
{
    PixelHold() = default;
    ~PixelHold() { PixelBudget::release(); }
    PixelHold(const PixelHold &) = delete;
    PixelHold &operator=(const PixelHold &) = delete;
};
