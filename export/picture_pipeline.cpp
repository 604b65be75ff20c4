// export/picture_pipeline.cpp
#include "export/picture_pipeline.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <string>
#include <system_error>

namespace {

constexpr auto kIdleInterval = std::chrono::milliseconds(50);

EncodedPicture refused(std::string problem, ZvErrorKind kind)
{
    EncodedPicture picture;
    picture.problem = std::move(problem);
    picture.kind = kind;
    return picture;
}

// A picture too large for the memory left, or that fails in any other way,
// is refused like any other; the run goes on.
EncodedPicture makeSafely(const PicturePipeline::Make &make, const ExportOptions &options, std::size_t row)
{
    try {
        return make(options, row);
    } catch (const std::bad_alloc &) {
        return refused("not enough memory for the picture", ZvErrorKind::TooLarge);
    } catch (const std::exception &e) {
        return refused(std::string("cannot make the picture: ") + e.what(), ZvErrorKind::BadData);
    }
}

// Waits on ready until done() holds, calling idle (without the lock)
// whenever the wait runs for kIdleInterval without news. False when idle
// asked to stop first.
template <class Done>
bool waitCallingIdle(std::unique_lock<std::mutex> &lock, std::condition_variable &ready, Done done,
                     const PicturePipeline::Idle &idle)
{
    while (!done()) {
        if (ready.wait_for(lock, kIdleInterval) == std::cv_status::timeout && idle) {
            lock.unlock();
            const bool stop = idle();
            lock.lock();
            if (stop)
                return false;
        }
    }
    return true;
}

} // namespace

PicturePipeline::PicturePipeline(std::size_t rows, int jobs, const ExportOptions &options, Make make,
                                 std::atomic<std::int32_t> *stop)
    : mJobs(std::max(jobs, 1))
    , mMake(std::move(make))
    , mStop(stop)
    , mOptions(std::make_shared<const ExportOptions>(options))
{
    if (mJobs == 1)
        return;
    mSlots.resize(rows);
    try {
        for (int i = 0; i < mJobs && std::size_t(i) < rows; ++i)
            mWorkers.emplace_back([this] { work(); });
    } catch (const std::system_error &) {
        // Fewer threads than asked for; with none, take makes every picture.
    }
}

PicturePipeline::~PicturePipeline()
{
    stop({});
}

void PicturePipeline::stop(const Idle &idle)
{
    {
        std::unique_lock lock(mMutex);
        mStopping = true;
        if (mStop && mBusy > 0)
            mStop->store(1, std::memory_order_relaxed);
        mWorkReady.notify_all();
        // The pictures stop within moments; asking to stop again changes nothing.
        while (!waitCallingIdle(
            lock, mPictureReady, [this] { return mBusy == 0; }, idle)) {
        }
    }
    for (std::thread &worker : mWorkers)
        worker.join();
    mWorkers.clear();
}

int PicturePipeline::defaultJobs()
{
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

EncodedPicture PicturePipeline::take(std::size_t row, const ExportOptions &options, const Idle &idle)
{
    if (mWorkers.empty())
        return makeSafely(mMake, options, row);
    std::unique_lock lock(mMutex);
    if (!(options == *mOptions)) {
        mOptions = std::make_shared<const ExportOptions>(options);
        for (std::size_t r = row; r < mSlots.size() && r <= row + std::size_t(mJobs); ++r)
            reset(mSlots[r]);
    }
    moveTo(row);
    Slot &slot = mSlots[row];
    if (!waitCallingIdle(
            lock, mPictureReady, [&] { return slot.state == State::Done; }, idle)) {
        mStopping = true;
        if (mStop)
            mStop->store(1, std::memory_order_relaxed);
        mWorkReady.notify_all();
        return refused("cancelled", ZvErrorKind::Cancelled);
    }
    slot.state = State::Taken;
    return std::move(slot.picture);
}

void PicturePipeline::pass(std::size_t row)
{
    if (mWorkers.empty())
        return;
    std::lock_guard lock(mMutex);
    moveTo(row);
    reset(mSlots[row]);
    mSlots[row].state = State::Taken;
}

void PicturePipeline::remake(const std::function<bool(std::size_t row)> &matches)
{
    if (mWorkers.empty())
        return;
    std::lock_guard lock(mMutex);
    for (std::size_t r = mNext + 1; r < mSlots.size() && r <= mNext + std::size_t(mJobs); ++r) {
        if (mSlots[r].state != State::Waiting && matches(r))
            reset(mSlots[r]);
    }
    mWorkReady.notify_all();
}

void PicturePipeline::moveTo(std::size_t row)
{
    mNext = row;
    mWorkReady.notify_all();
}

void PicturePipeline::reset(Slot &slot)
{
    slot.state = State::Waiting;
    ++slot.generation;
    slot.picture = EncodedPicture();
}

// The first row of the window [mNext, mNext + jobs] that nobody makes yet.
bool PicturePipeline::nextJob(std::size_t &row)
{
    const std::size_t end = std::min(mSlots.size(), mNext + std::size_t(mJobs) + 1);
    for (row = mNext; row < end; ++row) {
        if (mSlots[row].state == State::Waiting)
            return true;
    }
    return false;
}

void PicturePipeline::work()
{
    std::unique_lock lock(mMutex);
    for (;;) {
        std::size_t row = 0;
        mWorkReady.wait(lock, [&] { return mStopping || nextJob(row); });
        if (mStopping)
            return;
        Slot &slot = mSlots[row];
        slot.state = State::Making;
        const unsigned generation = slot.generation;
        const std::shared_ptr<const ExportOptions> options = mOptions;
        ++mBusy;
        lock.unlock();
        EncodedPicture picture = makeSafely(mMake, *options, row);
        lock.lock();
        --mBusy;
        if (slot.generation == generation && slot.state == State::Making) {
            slot.picture = std::move(picture);
            slot.state = State::Done;
        }
        mPictureReady.notify_all();
    }
}
