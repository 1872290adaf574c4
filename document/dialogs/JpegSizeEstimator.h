#pragma once
// CJpegSizeEstimator: the expected JPEG file size at a quality and sampling, encoded into a counting sink
// on a worker thread of its own so the user-interface thread never waits for an encode.
//
// Each Request replaces the one still waiting (only the newest setting is ever encoded next) and
// SizeReady reports only the newest request's result: a result that arrives after the setting changed
// again is dropped. The picture is borrowed and must outlive the estimator; it is only read. The
// destructor waits for an encode under way.

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

class CRasterImage;

class CJpegSizeEstimator : public QObject {
    Q_OBJECT
public:
    explicit CJpegSizeEstimator(const CRasterImage& picture, QObject* parent = nullptr);
    ~CJpegSizeEstimator() override;
    CJpegSizeEstimator(const CJpegSizeEstimator&) = delete;
    CJpegSizeEstimator& operator=(const CJpegSizeEstimator&) = delete;

    void Request(int quality, bool fullChroma);

signals:
    // Bytes of the file at the newest requested setting; 0 when the picture cannot be encoded.
    void SizeReady(qint64 bytes, int quality, bool fullChroma);

private:
    struct Job {
        std::uint64_t request = 0;
        int quality = 0;
        bool fullChroma = true;
    };
    void Run();
    void Deliver(const Job& job, qint64 bytes);

    const CRasterImage& picture;
    std::uint64_t newestRequest = 0;  // user-interface thread only
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Job> waiting;       // guarded by mutex
    bool stopping = false;            // guarded by mutex
    std::thread worker;
};
