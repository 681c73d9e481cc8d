#include "common/batch_worker.h"

void BatchWorker::report(const char *type, const QString &message)
{
    if (qstrcmp(type, "warning") == 0 || qstrcmp(type, "stopped") == 0) {
        endingType = QLatin1String(type);
        endingMessage = message;
        return;
    }
    emit returnResult(QLatin1String(type), message);
}

void BatchWorker::finishRun()
{
    if (!endingType.isEmpty())
        emit returnResult(endingType, endingMessage);
    deleteLater();
}
