// imagelib/core/image.h
#pragma once

#include "imagelib/core/image_type.h"
#include "platform/win_types.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

class ArchiveReader;
class ArchiveWriter;
class GlobalBlock;
class QImage;
class QPainter;
class QRect;
class ZvFile;
struct ZvPhotoInfo;
struct ZvColourSpace;

// What kind of failure the last error reports, beside its message, so that
// callers explain a failure without reading errno.
enum class ZvErrorKind : std::uint8_t {
    None,        // no failure recorded
    NotFound,    // the file or its folder does not exist
    Io,          // reading or writing the file failed (permissions, full disk, ...)
    Unsupported, // no codec for the type, or the codec cannot write this picture
    BadData,     // the stream is not a well-formed picture of the type
    TooLarge,    // beyond the memory limit, or memory ran out
    Cancelled,   // stopped by the escape flag
};

// Settings and state that travel with a picture and that codecs read and write.
struct ZvImageInfo
{
    std::uint32_t dwEffWidth = 0;   // bytes per pixel row, padding included
    std::uint8_t *pImage = nullptr; // first byte of the pixel rows in the DIB block
    const void *pGhost = nullptr;   // the image whose buffers a ghost borrows
    const void *pParent = nullptr;  // the owner of a layer
    std::uint32_t dwType = 0;       // ImageType
    char szLastError[256] = {};
    ZvErrorKind nErrorKind = ZvErrorKind::None;
    std::int32_t nProgress = 0; // 0..100
    std::int32_t nEscape = 0;   // non-zero stops long operations; -1 = header only
    // Another thread's request to stop (non-zero), read wherever the escape
    // field is: a decode runs in a codec object of its own, out of reach of
    // SetEscape on the picture it will fill. Not owned; may be null.
    const std::atomic<std::int32_t> *pStop = nullptr;
    // Why a decode that succeeded delivered only part of the picture (data
    // cut off or corrupt, the rest filled in); empty for a whole picture.
    char szDamage[128] = {};
    std::int32_t nBkgndIndex = -1;  // transparent palette index, -1 none
    RGBQUAD nBkgndColor;            // transparent colour of true-colour pictures
    std::uint8_t nQuality = 90;     // JPEG quality 0..100
    std::uint8_t nJpegScale = 0;    // JPEG decode scale denominator
    std::int32_t nReducedWidth = 0; // the size a reduced decode must cover; 0 x 0 = the full picture
    std::int32_t nReducedHeight = 0;
    std::int32_t nFrame = 0;
    std::int32_t nNumFrames = 0;
    std::uint32_t dwFrameDelay = 0;
    std::int32_t xDPI = 96;
    std::int32_t yDPI = 96;
    RECT rSelectionBox;
    std::uint8_t nAlphaMax = 255;
    bool bAlphaPaletteEnabled = false;
    bool bEnabled = true;
    std::int32_t xOffset = 0;
    std::int32_t yOffset = 0;
    std::uint32_t dwCodecOption = 0;
    RGBQUAD last_c; // nearest-colour cache: colour, answer, valid
    std::uint8_t last_c_index = 0;
    bool last_c_isvalid = false;
    std::int32_t nNumLayers = 0;
    std::uint32_t dwFlags = 0;
    bool bKeepPhotoInfo = false; // decoders keep, encoders write the photo information
    // How the camera held the picture, as the file states it (EXIF or TIFF
    // orientation 1..8); 0 when the file says nothing. Decoders that turn
    // the pixels upright themselves leave it 0.
    std::uint8_t nOrientation = 0;
};

// Thrown by ReadFromArchive; what() is the message for the last error.
class ZvArchiveError : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

// The one picture type: a packed DIB (40-byte header, palette, bottom-up rows
// padded to 4 bytes, 1/4/8/24 bits per pixel) in a single heap block, with
// an information record and optional alpha and selection planes.
// Row 0 is the bottom row; pixel (x, y) counts y from the bottom.
// Used by one thread at a time. Movable; copies are made with Copy.
class ZvImage
{
  public:
    explicit ZvImage(std::uint32_t imagetype = 0);
    ZvImage(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t imagetype = 0);
    ZvImage(const char *filename, std::uint32_t imagetype);
    ZvImage(ZvFile *stream, std::uint32_t imagetype);
    ZvImage(std::FILE *stream, std::uint32_t imagetype);
    ZvImage(std::uint8_t *buffer, std::uint32_t size, std::uint32_t imagetype);
    ZvImage(const ZvImage &src, bool copypixels, bool copyselection = true, bool copyalpha = true);
    ZvImage(ZvImage &&src) noexcept;
    ZvImage &operator=(ZvImage &&src) noexcept;
    ZvImage(const ZvImage &) = delete;
    ZvImage &operator=(const ZvImage &) = delete;
    virtual ~ZvImage();

    static const char *GetVersion() { return "ZvImage 1.00"; }
    static const char *GetRuntimeClassName() { return "ZvImage"; }

    // Life cycle
    void *Create(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t imagetype = 0);
    bool Destroy();
    void Copy(const ZvImage &src, bool copypixels = true, bool copyselection = true, bool copyalpha = true);
    bool Transfer(ZvImage &from);
    bool Ghost(const ZvImage *src);
    void CopyInfo(const ZvImage &src);

    // Accessors
    bool IsValid() const { return mDib != nullptr; }
    void *GetDIB() const { return mDib; }
    std::uint32_t GetWidth() const { return std::uint32_t(mHead.biWidth); }
    std::uint32_t GetHeight() const { return std::uint32_t(mHead.biHeight); }
    std::uint32_t GetBpp() const { return mHead.biBitCount; }
    std::uint32_t GetType() const { return mInfo.dwType; }
    std::uint32_t GetEffWidth() const { return mInfo.dwEffWidth; }
    std::uint32_t GetNumColors() const { return mHead.biClrUsed; }
    bool IsIndexed() const { return mHead.biClrUsed != 0; }
    std::uint32_t GetPaletteSize() const { return mHead.biClrUsed * 4; }
    std::uint8_t *GetBits(std::uint32_t row = 0) const;
    std::size_t GetSize() const;
    const char *GetLastError() const { return mInfo.szLastError; }
    // An empty text clears the error (kind None); any other text is BadData
    // unless a kind is given.
    void SetLastError(const char *text);
    void SetLastError(const char *text, ZvErrorKind kind);
    ZvErrorKind GetErrorKind() const { return mInfo.nErrorKind; }
    const BITMAPINFOHEADER &GetHeader() const { return mHead; }
    const ZvImageInfo &GetInfo() const { return mInfo; }

    std::uint32_t GetOrignWidth() const { return std::uint32_t(mOrigHead.biWidth); }
    std::uint32_t GetOrignHeight() const { return std::uint32_t(mOrigHead.biHeight); }
    std::uint32_t GetOrignBpp() const { return mOrigHead.biBitCount; }
    void SetOrignWidth(std::uint32_t w) { mOrigHead.biWidth = std::int32_t(w); }
    void SetOrignHeight(std::uint32_t h) { mOrigHead.biHeight = std::int32_t(h); }

    std::int32_t GetProgress() const { return mInfo.nProgress; }
    void SetProgress(std::int32_t p) { mInfo.nProgress = p; }
    std::int32_t GetEscape() const
    {
        if (mInfo.nEscape != 0 || !mInfo.pStop)
            return mInfo.nEscape;
        return mInfo.pStop->load(std::memory_order_relaxed) != 0 ? 1 : 0;
    }
    void SetEscape(std::int32_t e) { mInfo.nEscape = e; }
    // flag (owned by the caller, outliving the work) stops decoding,
    // resampling and encoding of this picture as a set escape field does.
    void SetStopFlag(const std::atomic<std::int32_t> *flag) { mInfo.pStop = flag; }
    // Empty when the last decode delivered the whole picture.
    const char *GetDamage() const { return mInfo.szDamage; }
    void SetDamage(const char *why);
    std::int32_t GetTransIndex() const { return mInfo.nBkgndIndex; }
    void SetTransIndex(std::int32_t idx) { mInfo.nBkgndIndex = idx; }
    RGBQUAD GetTransColor() const;
    void SetTransColor(RGBQUAD rgb);
    std::uint8_t GetJpegQuality() const { return mInfo.nQuality; }
    void SetJpegQuality(std::uint8_t q) { mInfo.nQuality = q > 100 ? 100 : q; }
    std::uint8_t GetJpegScale() const { return mInfo.nJpegScale; }
    void SetJpegScale(std::uint8_t s) { mInfo.nJpegScale = s; }
    // The caller shows the picture no larger than width x height (pixels,
    // after the picture's own turn), so a codec that keeps a smaller
    // rendition of the same picture (HEIF's thumbnail, a camera RAW's
    // preview) may decode that one instead when the picture fitted into
    // width x height still fits inside it. 0 x 0, the default, asks for the
    // full picture.
    void SetReducedDecode(std::int32_t width, std::int32_t height)
    {
        mInfo.nReducedWidth = width;
        mInfo.nReducedHeight = height;
    }
    std::int32_t GetReducedWidth() const { return mInfo.nReducedWidth; }
    std::int32_t GetReducedHeight() const { return mInfo.nReducedHeight; }
    std::int32_t GetFrame() const { return mInfo.nFrame; }
    void SetFrame(std::int32_t f) { mInfo.nFrame = f; }
    std::int32_t GetNumFrames() const { return mInfo.nNumFrames; }
    std::uint32_t GetFrameDelay() const { return mInfo.dwFrameDelay; }
    void SetFrameDelay(std::uint32_t d) { mInfo.dwFrameDelay = d; }
    std::int32_t GetXDPI() const { return mInfo.xDPI; }
    std::int32_t GetYDPI() const { return mInfo.yDPI; }
    void SetXDPI(std::int32_t dpi);
    void SetYDPI(std::int32_t dpi);
    std::uint8_t AlphaGetMax() const { return mInfo.nAlphaMax; }
    void AlphaSetMax(std::uint8_t m) { mInfo.nAlphaMax = m; }
    void AlphaPaletteEnable(bool on = true) { mInfo.bAlphaPaletteEnabled = on; }
    bool AlphaPaletteIsEnabled() const { return mInfo.bAlphaPaletteEnabled; }
    void Enable(bool on = true) { mInfo.bEnabled = on; }
    bool IsEnabled() const { return mInfo.bEnabled; }
    void GetOffset(std::int32_t *x, std::int32_t *y) const;
    void SetOffset(std::int32_t x, std::int32_t y);
    std::uint32_t GetCodecOption() const { return mInfo.dwCodecOption; }
    void SetCodecOption(std::uint32_t opt) { mInfo.dwCodecOption = opt; }
    std::int32_t GetNumLayers() const { return mInfo.nNumLayers; }
    std::uint32_t GetFlags() const { return mInfo.dwFlags; }
    void SetFlags(std::uint32_t flags, bool lockReservedFlags = true);
    // Photo information (EXIF, XMP, ICC profile; imagelib/core/photo_info.h).
    // While the picture keeps it, decoders that read it store what the file
    // holds (a successful decode always replaces the record) and encoders
    // that can carry it write the record as it is: whoever changes the
    // pixels makes the record true of them first. Off by default, and then
    // nothing is read or written.
    bool GetKeepPhotoInfo() const { return mInfo.bKeepPhotoInfo; }
    void SetKeepPhotoInfo(bool keep) { mInfo.bKeepPhotoInfo = keep; }
    const ZvPhotoInfo *GetPhotoInfo() const { return mPhotoInfo.get(); }
    // The orientation the decoded file states for its stored pixels (1..8,
    // 0 none); the pixels are as stored until someone turns them
    // (imagelib/geometry/orientation.h), who then sets it to 1.
    int GetOrientation() const { return mInfo.nOrientation; }
    void SetOrientation(int orientation)
    {
        mInfo.nOrientation = std::uint8_t(orientation >= 1 && orientation <= 8 ? orientation : 0);
    }
    void SetPhotoInfo(std::shared_ptr<const ZvPhotoInfo> info) { mPhotoInfo = std::move(info); }
    // What the decoded file says its colours are (imagelib/core/colour_space.h);
    // null when it says nothing. Every decoder that can read it fills it,
    // whether or not photo information is kept; whoever converts the pixels
    // to another colour space sets the description of that space.
    const ZvColourSpace *GetColourSpace() const { return mColour.get(); }
    const std::shared_ptr<const ZvColourSpace> &GetColourSpacePtr() const { return mColour; }
    void SetColourSpace(std::shared_ptr<const ZvColourSpace> colour) { mColour = std::move(colour); }
    ZvImage *GetParent() const { return static_cast<ZvImage *>(const_cast<void *>(mInfo.pParent)); }

    // Palette
    RGBQUAD *GetPalette() const;
    void SetPalette(const RGBQUAD *pal, std::uint32_t ncolors = 256);
    RGBQUAD GetPaletteColor(std::uint8_t idx) const;
    void SetPaletteColor(std::uint8_t idx, RGBQUAD c);
    void SetGrayPalette();
    bool IsGrayScale() const;
    std::uint8_t GetNearestIndex(RGBQUAD c);

    // Pixels; y counts from the bottom row.
    std::uint8_t GetPixelIndex(std::int32_t x, std::int32_t y) const;
    void SetPixelIndex(std::int32_t x, std::int32_t y, std::uint8_t i);
    RGBQUAD GetPixelColor(std::int32_t x, std::int32_t y, bool getAlpha = true) const;
    void SetPixelColor(std::int32_t x, std::int32_t y, RGBQUAD c, bool setAlpha = false);
    void SetPixelColor(std::int32_t x, std::int32_t y, COLORREF cr);
    bool IsInside(std::int32_t x, std::int32_t y) const;

    // Alpha and selection planes (width x height bytes, bottom-up like the rows)
    bool AlphaCreate();
    void AlphaDelete();
    bool AlphaIsValid() const { return mAlpha != nullptr; }
    std::uint8_t AlphaGet(std::int32_t x, std::int32_t y) const;
    void AlphaSet(std::int32_t x, std::int32_t y, std::uint8_t a);
    std::uint8_t *AlphaGetPointer(std::int32_t x = 0, std::int32_t y = 0) const;
    bool SelectionIsValid() const { return mSelection != nullptr; }
    void SelectionDelete();

    // Files and streams
    // Decodes as imagetype; when that fails, as whatever the content is.
    // A file that cannot be opened fails with strerror's text (NotFound or Io).
    bool Load(const char *filename, std::uint32_t imagetype = 0);
    // The same from an open stream's current position; the file is read, not reopened.
    bool Load(ZvFile *stream, std::uint32_t imagetype);
    // Reads only the header: width and height (at the JPEG scale set) and the
    // type, no pixels. Codecs that cannot stop after the header decode in full.
    bool DecodeHeader(ZvFile *stream, std::uint32_t imagetype);
    bool Decode(ZvFile *stream, std::uint32_t imagetype);
    bool Decode(std::FILE *stream, std::uint32_t imagetype);
    bool Decode(std::uint8_t *buffer, std::uint32_t size, std::uint32_t imagetype);
    // Writes a temporary file beside the target (beside the file it names,
    // when the target is a symbolic link), syncs it to the disk and renames it
    // over that file only after a successful encode; a replaced file keeps its
    // permission bits. A failure leaves no temporary file.
    bool Save(const char *filename, std::uint32_t imagetype);
    bool Encode(ZvFile *stream, std::uint32_t imagetype);
    bool Encode(std::FILE *stream, std::uint32_t imagetype);
    // Only when buffer is null on entry; the caller frees it with free().
    bool Encode(std::uint8_t *&buffer, std::int32_t &size, std::uint32_t imagetype);

    // Interchange
    bool CreateFromHANDLE(const GlobalBlock &hMem);
    bool CreateFromHBITMAP(const QImage &bitmap);
    long Stretch(QPainter &painter, std::int32_t xoffset, std::int32_t yoffset, std::int32_t xsize,
                 std::int32_t ysize) const;
    long Stretch(QPainter &painter, const QRect &rect) const;

    // Thumbnail cache record
    void WriteToArchive(ArchiveWriter &ar);
    void ReadFromArchive(ArchiveReader &ar); // throws ZvArchiveError

    // Geometry; dst null replaces this image's own pixels.
    bool Resample(std::int32_t newx, std::int32_t newy, int mode = 1, ZvImage *iDst = nullptr);
    bool RotateLeft(ZvImage *iDst = nullptr);
    bool RotateRight(ZvImage *iDst = nullptr);
    bool Rotate180(ZvImage *iDst = nullptr);

    // The palette index of pixel x in a row of 1, 4 or 8 bits per pixel,
    // without any check; 0 for other depths.
    static std::uint8_t BlindGetPixelIndex(const std::uint8_t *row, std::int32_t x, std::uint32_t bpp);

  protected:
    void Startup(std::uint32_t imagetype);
    void RefreshHeaderCopy(); // the header into the first 40 bytes of the DIB block
    void Flip();              // swaps rows top to bottom (and the alpha plane)
    static std::uint32_t NormalizeBpp(std::uint32_t bpp);

    void *mDib = nullptr;
    BITMAPINFOHEADER mHead;
    BITMAPINFOHEADER mOrigHead;
    ZvImageInfo mInfo;
    std::uint8_t *mSelection = nullptr;
    std::uint8_t *mAlpha = nullptr;
    ZvImage **mLayers = nullptr;
    std::shared_ptr<const ZvPhotoInfo> mPhotoInfo; // null when none
    std::shared_ptr<const ZvColourSpace> mColour;  // null when the file said nothing

  private:
    bool DecodeTyped(ZvFile *stream, std::uint32_t imagetype);
    bool DecodeSniffing(ZvFile *stream);
    void MoveFrom(ZvImage &src) noexcept;
};

// Writes size bytes of data as the file filename the way Save writes a
// picture: into a temporary file beside it that is synced and renamed over
// it, keeping a replaced file's permissions and writing through a symbolic
// link. On failure the file is as it was, and problem and kind say why.
bool ZvWriteFile(const char *filename, const std::uint8_t *data, std::size_t size, std::string &problem,
                 ZvErrorKind &kind);

// Removes the temporary files of the saves in progress. Async-signal-safe:
// for a handler of a signal that ends the program.
void ZvRemovePendingSaves();

// Memory limit of Create: width * height * bpp / 256 may not exceed this.
constexpr std::uint64_t kZvMaxImageArea = 256000000;
