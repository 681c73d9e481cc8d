#include "common/run_error_log.h"

RunErrorLog::~RunErrorLog()
{
    if (file.created() && count == 0)
        file.remove();
}

bool RunErrorLog::writeFailure(const QByteArray &line)
{
    if (!file.write(line))
        return false;
    ++count;
    return true;
}

bool RunErrorLog::close()
{
    // A log gone meanwhile (a clean run alongside removes it) matters only if it held this run's lines.
    return file.close() || count == 0;
}
