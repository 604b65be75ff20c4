// imagelib/codecs/wmf/codec_wmf.cpp
#include "imagelib/codecs/wmf/codec_wmf.h"

#include "imagelib/codecs/decode_source.h"
#include "imagelib/metafile/emf_player.h"
#include "imagelib/metafile/metafile_canvas.h"
#include "imagelib/metafile/metafile_frame.h"
#include "imagelib/metafile/wmf_player.h"
#include "imagelib/streams/file.h"

#include <atomic>
#include <cstring>

using namespace metagdi;

namespace {

constexpr const char *kErrEmpty = "empty WMF";
constexpr const char *kErrCorrupted = "corrupted WMF";
constexpr const char *kErrCancelled = "Cancelled";

// Largest metafile read; drawings with embedded pictures stay far below.
constexpr std::size_t kMaxFileBytes = std::size_t(256) << 20;

constexpr std::size_t kPlaceableHeaderBytes = 22;
constexpr std::uint16_t kWmfHeaderWords = 9;
// A plain WMF without a window is drawn in pixels; its window, if it sets
// one, in twips, the unit most writers use for it.
constexpr double kTwipsPerInch = 1440;
constexpr double kPixelsPerInch = 96;
constexpr std::uint64_t kEmfHeaderMin = 88;
constexpr std::uint64_t kEmfHeaderWithMicrometres = 108;

std::atomic<std::uint32_t> sMaxSide{4096};

[[noreturn]] void fail(const char *message)
{
    throw ZvCodecError(message);
}

std::uint32_t placeableUnits(const MetaBytes &file)
{
    const std::uint32_t inch = file.u16(14);
    return inch ? inch : std::uint32_t(kTwipsPerInch);
}

// Where the records of a WMF start: after the placeable header, if any, and
// the standard header, whose size it gives in words.
std::size_t wmfRecordsStart(const MetaBytes &file, bool placeable)
{
    const std::size_t header = placeable ? kPlaceableHeaderBytes : 0;
    if (!file.has(header, 18))
        fail(kErrCorrupted);
    const std::uint16_t words = file.u16(header + 2);
    return header + 2 * std::size_t(words >= kWmfHeaderWords ? words : kWmfHeaderWords);
}

double emfDevicePerMm(const MetaBytes &file, std::uint64_t headerSize, int axis)
{
    const double device = file.i32(72 + 4 * axis);
    double mm = file.i32(80 + 4 * axis);
    if (headerSize >= kEmfHeaderWithMicrometres && file.i32(100 + 4 * axis) > 0)
        mm = file.i32(100 + 4 * axis) / 1000.0;
    const double perMm = device / mm;
    return std::isfinite(perMm) && perMm > 0 ? perMm : kPixelsPerInch / 25.4;
}

QRectF rectAt(const MetaBytes &file, std::uint64_t at)
{
    return QRectF(QPointF(file.i32(at), file.i32(at + 4)), QPointF(file.i32(at + 8), file.i32(at + 12)));
}

// The frame of an EMF: rclFrame (hundredths of millimetres) in reference
// device units, or else the bounds (device pixels, edges included).
MetaFrame emfFrame(const MetaBytes &file, std::uint64_t headerSize, QSizeF &perMm)
{
    perMm = QSizeF(emfDevicePerMm(file, headerSize, 0), emfDevicePerMm(file, headerSize, 1));
    MetaFrame f;
    f.unitsPerInchX = perMm.width() * 25.4;
    f.unitsPerInchY = perMm.height() * 25.4;
    const QRectF frame = rectAt(file, 24);
    f.frame = QRectF(frame.left() * perMm.width() / 100, frame.top() * perMm.height() / 100,
                     frame.width() * perMm.width() / 100, frame.height() * perMm.height() / 100);
    if (f.frame.width() <= 0 || f.frame.height() <= 0)
        f.frame = rectAt(file, 8).adjusted(0, 0, 1, 1);
    return f;
}

} // namespace

std::uint32_t ZvImageWMF::GetMaxSide()
{
    return sMaxSide.load();
}

void ZvImageWMF::SetMaxSide(std::uint32_t side)
{
    sMaxSide.store(side ? side : 1);
}

bool ZvImageWMF::Decode(ZvFile *stream)
{
    if (!stream)
        return false;
    return RunGuarded(Step::Decode, "ZvImage::Create can't allocate memory", [&] {
        try {
            DecodeStream(stream);
        } catch (const MetaShortRecord &) {
            // A header field beyond the end of the file.
            fail(kErrCorrupted);
        }
    });
}

bool ZvImageWMF::Encode(ZvFile *stream)
{
    if (!EncodeSafeCheck(stream))
        return false;
    SetLastError("Save WMF not supported");
    return false;
}

void ZvImageWMF::DecodeStream(ZvFile *stream)
{
    // Only the kind is read first, so that other formats tried in turn are
    // not read whole.
    const std::int64_t start = stream->Tell();
    std::vector<std::uint8_t> bytes(kMetaSniffBytes);
    bytes.resize(stream->Read(bytes.data(), 1, bytes.size()));
    if (bytes.empty())
        fail(kErrEmpty);
    const MetaKind kind = metaSniff(MetaBytes(bytes.data(), bytes.size()));
    if (kind == MetaKind::None)
        fail(kErrCorrupted);
    stream->Seek(start, SEEK_FROM_START);
    bytes = zvReadWholeStream(stream, kMaxFileBytes);
    const MetaBytes file(bytes.data(), bytes.size());
    if (GetEscape())
        fail(kErrCancelled);
    if (kind == MetaKind::Emf)
        DecodeEmf(file);
    else
        DecodeWmf(file, kind == MetaKind::PlaceableWmf);
}

bool ZvImageWMF::Tick(int percent)
{
    SetProgress(percent);
    return GetEscape() == 0;
}

// The frame of a WMF: the placeable header's bounds; for a plain WMF the
// window it sets before drawing, or else the bounds of what it draws.
MetaFrame ZvImageWMF::WmfFrame(const MetaBytes &file, bool placeable, std::size_t start)
{
    MetaFrame frame;
    if (placeable) {
        frame.frame =
            QRectF(QPointF(file.i16(6), file.i16(8)), QPointF(file.i16(10), file.i16(12))).normalized();
        frame.unitsPerInchX = frame.unitsPerInchY = placeableUnits(file);
    } else if (const auto window = WmfPlayer::firstWindow(file, start)) {
        frame.frame = *window;
        frame.unitsPerInchX = frame.unitsPerInchY = kTwipsPerInch;
    } else {
        MetaCanvas measure;
        WmfPlayer player(measure, QTransform());
        player.state().mapping.setMapMode(MM_ANISOTROPIC);
        if (!player.play(file, start, [this](int percent) { return Tick(percent); }))
            fail(kErrCancelled);
        frame.frame = measure.measured();
        frame.unitsPerInchX = frame.unitsPerInchY = kPixelsPerInch;
    }
    return frame;
}

void ZvImageWMF::DecodeWmf(const MetaBytes &file, bool placeable)
{
    const std::size_t start = wmfRecordsStart(file, placeable);
    if (!file.has(start, 6) || file.u16(start + 4) == 0)
        fail(kErrEmpty);
    const MetaFrame frame = WmfFrame(file, placeable, start);
    const QSize size = MetaPictureSize(frame, GetMaxSide());
    if (size.isEmpty())
        fail(kErrEmpty);

    MetaCanvas canvas(size);
    if (canvas.image().isNull())
        fail("ZvImage::Create can't allocate memory");
    WmfPlayer player(canvas, metaDeviceToPicture(frame.frame, size));
    // The player's device is the frame: its window starts as the frame and
    // its viewport is the frame for good, so the metafile's own window
    // decides what fills the picture.
    MetaMapping &m = player.state().mapping;
    m.setDeviceResolution(frame.unitsPerInchX / 25.4, frame.unitsPerInchY / 25.4);
    m.setMapMode(MM_ANISOTROPIC);
    m.setWindowOrg(frame.frame.topLeft());
    m.setWindowExt(frame.frame.size());
    m.setViewportOrg(frame.frame.topLeft());
    m.setViewportExt(frame.frame.size());
    if (!player.play(file, start, [this](int percent) { return Tick(percent); }))
        fail(kErrCancelled);
    TakePicture(canvas.image());
}

void ZvImageWMF::DecodeEmf(const MetaBytes &file)
{
    const std::uint64_t headerSize = file.u32(4);
    if (headerSize < kEmfHeaderMin || !file.has(0, headerSize))
        fail(kErrCorrupted);
    QSizeF perMm;
    const MetaFrame frame = emfFrame(file, headerSize, perMm);
    const QSize size = MetaPictureSize(frame, GetMaxSide());
    if (size.isEmpty() || !file.has(headerSize, 8))
        fail(kErrEmpty);

    MetaCanvas canvas(size);
    if (canvas.image().isNull())
        fail("ZvImage::Create can't allocate memory");
    EmfPlayer player(canvas, metaDeviceToPicture(frame.frame, size));
    player.state().mapping.setDeviceResolution(perMm.width(), perMm.height());
    player.setObjectLimit(std::max<std::uint32_t>(file.u16(56), 1));
    if (!player.play(file, std::size_t(headerSize), [this](int percent) { return Tick(percent); }))
        fail(kErrCancelled);
    TakePicture(canvas.image());
}

// The rendering as the 24-bit picture, rows bottom-up.
void ZvImageWMF::TakePicture(const QImage &picture)
{
    const std::uint32_t w = std::uint32_t(picture.width());
    const std::uint32_t h = std::uint32_t(picture.height());
    if (!Create(w, h, 24, ZV_TYPE_WMF))
        fail(GetLastError());
    for (std::uint32_t y = 0; y < h; ++y) {
        const QRgb *src = reinterpret_cast<const QRgb *>(picture.constScanLine(int(y)));
        std::uint8_t *dst = GetBits(h - 1 - y);
        for (std::uint32_t x = 0; x < w; ++x) {
            dst[3 * x] = std::uint8_t(qBlue(src[x]));
            dst[3 * x + 1] = std::uint8_t(qGreen(src[x]));
            dst[3 * x + 2] = std::uint8_t(qRed(src[x]));
        }
    }
    SetXDPI(96);
    SetYDPI(96);
    SetProgress(100);
}
