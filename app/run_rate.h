#pragma once

#include <QString>

// Items per second and the time left of a run, from its "done/total" counts and
// the milliseconds since the run started. The rate is taken from the first count
// on, so that listing files and loading models before the first item do not
// count as slowness.
class RunRate
{
public:
    void reset();
    // The text beside the progress bar after this count; empty while too little
    // time has passed to say anything.
    QString update(int done, int total, qint64 elapsedMs);

private:
    int firstDone = -1;
    qint64 firstMs = 0;
};
