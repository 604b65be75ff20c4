// imagelib/geometry/resample_area.cpp
// Area averaging for shrinking 24-bit pictures: every source pixel is visited
// once and spread over the result pixels it overlaps, in fixed point with
// weights out of 1000. Only the split positions use floating point.
#include "imagelib/geometry/resample_kernels.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint32_t kAccuracy = 1000;
// Whole rows summed per column before one horizontal pass; 257 x 255 still fits 16 bits.
constexpr std::uint32_t kMostPendingRows = 257;

// sums[k] += s[k] for n bytes. GCC does not vectorise this at -O2 by itself,
// and it is most of the work when shrinking a big picture.
void addColumns(std::uint16_t *sums, const std::uint8_t *s, std::size_t n)
{
    std::size_t k = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= n; k += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + k));
        __m128i *lo = reinterpret_cast<__m128i *>(sums + k);
        __m128i *hi = reinterpret_cast<__m128i *>(sums + k + 8);
        _mm_storeu_si128(lo, _mm_add_epi16(_mm_loadu_si128(lo), _mm_unpacklo_epi8(v, zero)));
        _mm_storeu_si128(hi, _mm_add_epi16(_mm_loadu_si128(hi), _mm_unpackhi_epi8(v, zero)));
    }
#endif
    for (; k < n; ++k)
        sums[k] = std::uint16_t(sums[k] + s[k]);
}

// The source pixels at which one result column ends and the next begins,
// and the share (out of 1000) of each that goes to the next column. The
// pattern is the same for every row, so it is worked out once. Each end is
// (k + 1) * xScale - 1 formed afresh: adding xScale up in single precision
// drifts by up to half a pixel over a wide picture, which starved the last
// column (a visibly dark edge at 60 %) or made one split too many. A split
// beyond the last column is still never taken.
struct ColumnSplits
{
    std::vector<std::int32_t> at;
    std::vector<std::uint32_t> weight;
};

ColumnSplits columnSplits(std::int32_t width, std::int32_t newWidth, float xScale)
{
    ColumnSplits splits;
    float endX = xScale - 1;
    for (std::int32_t x = 0; x < width && std::int32_t(splits.at.size()) < newWidth; ++x) {
        if (float(x) < endX)
            continue;
        splits.at.push_back(x);
        splits.weight.push_back(std::uint32_t((float(x) - endX) * kAccuracy));
        endX = float(splits.at.size() + 1) * xScale - 1;
    }
    return splits;
}

// Acc is 32 bits when no result pixel can gather more than 2^32 (the usual
// case, which also allows the division by a multiplication), else 64 bits.
// A source row that lies wholly inside the current result row only adds
// products of its bytes into mAccu, so such rows are first summed column by
// column and spread once: the same integers as spreading each row, in a
// fraction of the time. Rows split between two result rows involve
// truncating divisions and are spread one by one.
template <class Acc> class AreaAverager
{
  public:
    AreaAverager(const ZvRowView &src, const ZvRowView &dst, float xScale, float yScale);
    std::int32_t run(const ZvRowProgress &progress);

  private:
    void addWholeRow(const std::uint8_t *s);
    void spreadColumnSums();
    template <class T> void addRow(const T *s);
    void addSplitRow(const std::uint8_t *s, Acc weightY, std::uint8_t *d);
    void nextResultRow();
    void writeAccumulated(std::int32_t fromColumn, std::uint8_t *d) const;
    template <class T> const T *sumRun(const T *s, std::int32_t count, Acc sum[3]) const;
    std::uint8_t out(Acc a) const;

    ZvRowView mSrc, mDst;
    float mYScale;
    ColumnSplits mSplits;
    std::vector<Acc> mAccu, mCarry;         // current and next result row, 3 per column plus one spare pixel
    std::vector<std::uint16_t> mColumnSums; // whole rows not yet spread, 3 per source column
    std::uint32_t mPendingRows = 0;
    Acc mScale;
    std::uint64_t mReciprocal = 0; // ceil(2^64 / mScale), exact for 32-bit quotients
};

template <class Acc>
AreaAverager<Acc>::AreaAverager(const ZvRowView &src, const ZvRowView &dst, float xScale, float yScale)
    : mSrc(src)
    , mDst(dst)
    , mYScale(yScale)
    , mSplits(columnSplits(src.width, dst.width, xScale))
    , mAccu(std::size_t(dst.width) * 3 + 3, 0)
    , mCarry(std::size_t(dst.width) * 3 + 3, 0)
    , mColumnSums(std::size_t(src.width) * 3, 0)
    , mScale(Acc(yScale * xScale * kAccuracy))
{
    if constexpr (sizeof(Acc) == 4)
        mReciprocal = ~std::uint64_t(0) / mScale + 1;
}

// Clamped rather than wrapped, should rounding ever give a result pixel more
// weight than the scale: white must not turn black.
template <class Acc> std::uint8_t AreaAverager<Acc>::out(Acc a) const
{
    Acc q;
    if constexpr (sizeof(Acc) == 4)
        q = Acc((static_cast<unsigned __int128>(a) * mReciprocal) >> 64);
    else
        q = a / mScale;
    return q > 255 ? 255 : std::uint8_t(q);
}

template <class Acc>
template <class T>
const T *AreaAverager<Acc>::sumRun(const T *s, std::int32_t count, Acc sum[3]) const
{
    Acc b = 0, g = 0, r = 0;
    for (std::int32_t k = 0; k < count; ++k, s += 3) {
        b += s[0];
        g += s[1];
        r += s[2];
    }
    sum[0] = b;
    sum[1] = g;
    sum[2] = r;
    return s;
}

template <class Acc> void AreaAverager<Acc>::addWholeRow(const std::uint8_t *s)
{
    addColumns(mColumnSums.data(), s, mColumnSums.size());
    if (++mPendingRows == kMostPendingRows)
        spreadColumnSums();
}

template <class Acc> void AreaAverager<Acc>::spreadColumnSums()
{
    if (mPendingRows == 0)
        return;
    addRow(mColumnSums.data());
    std::fill(mColumnSums.begin(), mColumnSums.end(), std::uint16_t(0));
    mPendingRows = 0;
}

// Source rows (or their column sums) that lie wholly inside the current result row.
template <class Acc> template <class T> void AreaAverager<Acc>::addRow(const T *s)
{
    Acc *a = mAccu.data();
    std::int32_t x = 0;
    Acc sum[3];
    for (std::size_t u = 0; u < mSplits.at.size(); ++u) {
        s = sumRun(s, mSplits.at[u] - x, sum);
        const Acc wX = mSplits.weight[u];
        for (int j = 0; j < 3; ++j) {
            a[j] += kAccuracy * sum[j] + (kAccuracy - wX) * s[j];
            a[j + 3] += wX * s[j];
        }
        x = mSplits.at[u] + 1;
        s += 3;
        a += 3;
    }
    sumRun(s, mSrc.width - x, sum);
    for (int j = 0; j < 3; ++j)
        a[j] += kAccuracy * sum[j];
}

// The source row is split between the current result row (written out here
// as each column completes) and the next one, which starts in mCarry. The
// next row's share of a split pixel is assigned, not added: that is what
// clears mCarry's stale contents column by column.
template <class Acc> void AreaAverager<Acc>::addSplitRow(const std::uint8_t *s, Acc wY, std::uint8_t *d)
{
    const Acc wYc = kAccuracy - wY;
    Acc *a = mAccu.data();
    Acc *c = mCarry.data();
    std::int32_t x = 0;
    Acc sum[3];
    for (std::size_t u = 0; u < mSplits.at.size(); ++u) {
        s = sumRun(s, mSplits.at[u] - x, sum);
        const Acc wX = mSplits.weight[u], wXc = kAccuracy - wX;
        for (int j = 0; j < 3; ++j) {
            const Acc p = s[j];
            a[j] += wYc * sum[j] + (wYc * wXc) * p / kAccuracy;
            d[j] = out(a[j]);
            c[j] += wY * sum[j] + (wY * wXc * p) / kAccuracy;
            a[j + 3] += (wYc * wX * p) / kAccuracy;
            c[j + 3] = (wY * wX * p) / kAccuracy;
        }
        x = mSplits.at[u] + 1;
        s += 3;
        a += 3;
        c += 3;
        d += 3;
    }
    sumRun(s, mSrc.width - x, sum);
    for (int j = 0; j < 3; ++j) {
        a[j] += wYc * sum[j];
        c[j] += wY * sum[j];
    }
    writeAccumulated(std::int32_t(mSplits.at.size()), d);
}

// Columns the splits did not reach (normally none or the last one, when
// float rounding puts its end just past the row) come from what they gathered.
template <class Acc> void AreaAverager<Acc>::writeAccumulated(std::int32_t fromColumn, std::uint8_t *d) const
{
    for (std::size_t k = std::size_t(fromColumn) * 3; k < std::size_t(mDst.width) * 3; ++k)
        *d++ = out(mAccu[k]);
}

template <class Acc> void AreaAverager<Acc>::nextResultRow()
{
    std::swap(mAccu, mCarry);
    mCarry[0] = mCarry[1] = mCarry[2] = 0;
    // Entries past the last split are not reassigned by the next split row.
    std::fill(mCarry.begin() + std::ptrdiff_t(mSplits.at.size() + 1) * 3, mCarry.end(), Acc(0));
}

template <class Acc> std::int32_t AreaAverager<Acc>::run(const ZvRowProgress &progress)
{
    float endY = mYScale - 1;
    std::int32_t v = 0;
    for (std::int32_t y = 0; y < mSrc.height && v < mDst.height; ++y) {
        if (!progress.next(y, mSrc.height))
            return v;
        const std::uint8_t *s = mSrc.row(y);
        if (float(y) < endY) {
            addWholeRow(s);
            continue;
        }
        spreadColumnSums();
        addSplitRow(s, Acc((float(y) - endY) * kAccuracy), mDst.row(v));
        nextResultRow();
        ++v;
        endY = float(v + 1) * mYScale - 1; // formed afresh, as the column ends are
    }
    spreadColumnSums();
    if (v < mDst.height)
        writeAccumulated(0, mDst.row(v++));
    // Rounding may still leave a last row unreached; repeat the one above.
    for (; v < mDst.height; ++v)
        std::memcpy(mDst.row(v), mDst.row(v - 1), std::size_t(mDst.width) * 3);
    return mDst.height;
}

} // namespace

std::int32_t zvResampleAreaAverage(const ZvRowView &src, const ZvRowView &dst, float xScale, float yScale,
                                   const ZvRowProgress &progress)
{
    const double mostGathered = 255.0 * kAccuracy * (double(xScale) + 3) * (double(yScale) + 3);
    if (mostGathered < 4.0e9)
        return AreaAverager<std::uint32_t>(src, dst, xScale, yScale).run(progress);
    return AreaAverager<std::uint64_t>(src, dst, xScale, yScale).run(progress);
}
