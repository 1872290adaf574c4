#include "document/dialogs/JpegSizeEstimator.h"

#include "document/QualitySearch.h"

CJpegSizeEstimator::CJpegSizeEstimator(const CRasterImage& picture, QObject* parent)
    : QObject(parent), picture(picture), worker([this] { Run(); })
{
}

CJpegSizeEstimator::~CJpegSizeEstimator()
{
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_one();
    worker.join();
}

void CJpegSizeEstimator::Request(int quality, bool fullChroma)
{
    {
        std::lock_guard lock(mutex);
        waiting = Job{++newestRequest, quality, fullChroma};
    }
    wake.notify_one();
}

void CJpegSizeEstimator::Run()
{
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || waiting.has_value(); });
        if (stopping) return;
        const Job job = *waiting;
        waiting.reset();
        lock.unlock();
        const qint64 bytes = ProbeJpegSize(picture, job.quality, job.fullChroma);
        // Queued to this object: it runs on the user-interface thread, and is discarded with the object.
        QMetaObject::invokeMethod(this, [this, job, bytes] { Deliver(job, bytes); }, Qt::QueuedConnection);
        lock.lock();
    }
}

void CJpegSizeEstimator::Deliver(const Job& job, qint64 bytes)
{
    if (job.request == newestRequest) emit SizeReady(bytes, job.quality, job.fullChroma);
}
