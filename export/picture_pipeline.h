// export/picture_pipeline.h
#pragma once

#include "export/encoded_picture.h"
#include "export/export_options.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Makes the pictures of a run ahead of it on worker threads, while the run
// takes them one by one in row order. The workers stay within jobs rows
// after the one the run has taken last, so with the one the run is writing
// at most jobs + 1 pictures are held at once.
//
// With one job there are no threads: take makes the row's picture there
// and then, and nothing is made that the run does not take.
class PicturePipeline
{
  public:
    using Make = std::function<EncodedPicture(const ExportOptions &options, std::size_t row)>;

    // stop (may be null; outlives the pipeline) is the flag make hands to
    // the pictures it makes: the pipeline sets it when it stops early, so
    // that the pictures being made end within moments.
    PicturePipeline(std::size_t rows, int jobs, const ExportOptions &options, Make make,
                    std::atomic<std::int32_t> *stop = nullptr);
    // Waits for the pictures being made; the rest are never made.
    ~PicturePipeline();

    // Called while the run waits; true asks to stop at once.
    using Idle = std::function<bool()>;

    PicturePipeline(const PicturePipeline &) = delete;
    PicturePipeline &operator=(const PicturePipeline &) = delete;

    // The picture of row made with options; a picture made ahead with other
    // options is made again, as are the later rows. Calls idle about every
    // 50 ms while it waits; when idle asks to stop, sets the stop flag and
    // returns a picture refused as Cancelled. Rows are taken or passed in
    // increasing order.
    EncodedPicture take(std::size_t row, const ExportOptions &options, const Idle &idle);
    // The run goes on without row's picture.
    void pass(std::size_t row);
    // Makes again the rows after the last one taken that match: their
    // source file has just been written.
    void remake(const std::function<bool(std::size_t row)> &matches);

    // Makes no more pictures, stops those being made (the stop flag) and
    // waits for them, calling idle about every 50 ms meanwhile.
    void stop(const Idle &idle);

    // One job per core.
    static int defaultJobs();

  private:
    enum class State { Waiting, Making, Done, Taken };
    struct Slot
    {
        State state = State::Waiting;
        unsigned generation = 0; // a picture made for an older generation is dropped
        EncodedPicture picture;
    };

    void work();
    bool nextJob(std::size_t &row); // with mMutex held
    void reset(Slot &slot);
    void moveTo(std::size_t row); // with mMutex held

    const int mJobs;
    const Make mMake;
    std::atomic<std::int32_t> *mStop;
    std::shared_ptr<const ExportOptions> mOptions;
    std::vector<Slot> mSlots;
    std::size_t mNext = 0; // the row the run takes next, or is writing
    bool mStopping = false;
    int mBusy = 0; // workers making a picture
    std::mutex mMutex;
    std::condition_variable mWorkReady;
    std::condition_variable mPictureReady;
    std::vector<std::thread> mWorkers;
};
