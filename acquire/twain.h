// acquire/twain.h
// The TWAIN protocol as the data source manager and its sources speak it on
// 64-bit Linux: plain C calls, structures packed to 2 bytes, 32-bit integers
// of 4 bytes. Shared by the connection, our own manager and the test source.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

typedef char TW_INT8;
typedef unsigned char TW_UINT8;
typedef short TW_INT16;
typedef unsigned short TW_UINT16;
typedef int TW_INT32;
typedef unsigned int TW_UINT32;
typedef unsigned short TW_BOOL;
typedef void *TW_HANDLE;
typedef void *TW_MEMREF;
typedef unsigned long long TW_UINTPTR;
typedef char TW_STR32[34];
typedef char TW_STR255[256];

#pragma pack(push, 2)

struct TW_FIX32
{
    TW_INT16 Whole;
    TW_UINT16 Frac;
};

struct TW_VERSION
{
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
};

struct TW_IDENTITY
{
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
};

struct TW_USERINTERFACE
{
    TW_BOOL ShowUI;
    TW_BOOL ModalUI;
    TW_HANDLE hParent;
};

struct TW_STATUS
{
    TW_UINT16 ConditionCode;
    TW_UINT16 Data;
};

struct TW_PENDINGXFERS
{
    TW_UINT16 Count;
    TW_UINT32 EOJ;
};

struct TW_IMAGEINFO
{
    TW_FIX32 XResolution;
    TW_FIX32 YResolution;
    TW_INT32 ImageWidth;
    TW_INT32 ImageLength;
    TW_INT16 SamplesPerPixel;
    TW_INT16 BitsPerSample[8];
    TW_INT16 BitsPerPixel;
    TW_BOOL Planar;
    TW_INT16 PixelType;
    TW_UINT16 Compression;
};

struct TW_CAPABILITY
{
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    TW_HANDLE hContainer;
};

struct TW_ONEVALUE
{
    TW_UINT16 ItemType;
    TW_UINT32 Item;
};

struct TW_EVENT
{
    TW_MEMREF pEvent;
    TW_UINT16 TWMessage;
};

typedef TW_UINT16 (*DSMENTRYPROC)(TW_IDENTITY *, TW_IDENTITY *, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF);
typedef TW_UINT16 (*DSENTRYPROC)(TW_IDENTITY *, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF);
typedef TW_HANDLE (*DSM_MEMALLOCATE)(TW_UINT32);
typedef void (*DSM_MEMFREE)(TW_HANDLE);
typedef TW_MEMREF (*DSM_MEMLOCK)(TW_HANDLE);
typedef void (*DSM_MEMUNLOCK)(TW_HANDLE);

struct TW_ENTRYPOINT
{
    TW_UINT32 Size;
    DSMENTRYPROC DSM_Entry;
    DSM_MEMALLOCATE DSM_MemAllocate;
    DSM_MEMFREE DSM_MemFree;
    DSM_MEMLOCK DSM_MemLock;
    DSM_MEMUNLOCK DSM_MemUnlock;
};

struct TW_CALLBACK
{
    TW_MEMREF CallBackProc;
    TW_UINT32 RefCon;
    TW_INT16 Message;
};

struct TW_CALLBACK2
{
    TW_MEMREF CallBackProc;
    TW_UINTPTR RefCon;
    TW_INT16 Message;
};

#pragma pack(pop)

} // extern "C"

static_assert(sizeof(TW_FIX32) == 4);
static_assert(sizeof(TW_VERSION) == 42);
static_assert(sizeof(TW_IDENTITY) == 156);
static_assert(offsetof(TW_IDENTITY, ProtocolMajor) == 46 && offsetof(TW_IDENTITY, SupportedGroups) == 50);
static_assert(offsetof(TW_IDENTITY, Manufacturer) == 54 && offsetof(TW_IDENTITY, ProductName) == 122);
static_assert(sizeof(TW_USERINTERFACE) == 12 && offsetof(TW_USERINTERFACE, hParent) == 4);
static_assert(sizeof(TW_STATUS) == 4);
static_assert(sizeof(TW_PENDINGXFERS) == 6);
static_assert(sizeof(TW_IMAGEINFO) == 42 && offsetof(TW_IMAGEINFO, PixelType) == 38);
static_assert(sizeof(TW_CAPABILITY) == 12 && offsetof(TW_CAPABILITY, hContainer) == 4);
static_assert(sizeof(TW_ONEVALUE) == 6);
static_assert(sizeof(TW_EVENT) == 10);
static_assert(sizeof(TW_ENTRYPOINT) == 44 && offsetof(TW_ENTRYPOINT, DSM_MemUnlock) == 36);
static_assert(sizeof(TW_CALLBACK) == 14);
static_assert(sizeof(TW_CALLBACK2) == 18);

// Return codes.
constexpr TW_UINT16 TWRC_SUCCESS = 0, TWRC_FAILURE = 1, TWRC_CHECKSTATUS = 2, TWRC_CANCEL = 3,
                    TWRC_DSEVENT = 4, TWRC_NOTDSEVENT = 5, TWRC_XFERDONE = 6, TWRC_ENDOFLIST = 7;
// Condition codes.
constexpr TW_UINT16 TWCC_SUCCESS = 0, TWCC_BUMMER = 1, TWCC_LOWMEMORY = 2, TWCC_NODS = 3,
                    TWCC_OPERATIONERROR = 5, TWCC_BADCAP = 6, TWCC_BADPROTOCOL = 9, TWCC_BADVALUE = 10,
                    TWCC_SEQERROR = 11, TWCC_BADDEST = 12, TWCC_CAPUNSUPPORTED = 13,
                    TWCC_CAPBADOPERATION = 14;

// Groups.
constexpr TW_UINT32 DG_CONTROL = 0x1, DG_IMAGE = 0x2;
constexpr TW_UINT32 DF_DSM2 = 0x10000000, DF_APP2 = 0x20000000, DF_DS2 = 0x40000000;

// Data argument types.
constexpr TW_UINT16 DAT_NULL = 0x0000, DAT_CAPABILITY = 0x0001, DAT_EVENT = 0x0002, DAT_IDENTITY = 0x0003,
                    DAT_PARENT = 0x0004, DAT_PENDINGXFERS = 0x0005, DAT_STATUS = 0x0008,
                    DAT_USERINTERFACE = 0x0009, DAT_CALLBACK = 0x0010, DAT_CALLBACK2 = 0x0012,
                    DAT_ENTRYPOINT = 0x0403, DAT_IMAGEINFO = 0x0101, DAT_IMAGENATIVEXFER = 0x0104;

// Messages.
constexpr TW_UINT16 MSG_GET = 0x0001, MSG_GETCURRENT = 0x0002, MSG_GETDEFAULT = 0x0003, MSG_GETFIRST = 0x0004,
                    MSG_GETNEXT = 0x0005, MSG_SET = 0x0006, MSG_RESET = 0x0007, MSG_XFERREADY = 0x0101,
                    MSG_CLOSEDSREQ = 0x0102, MSG_CLOSEDSOK = 0x0103, MSG_DEVICEEVENT = 0x0104,
                    MSG_OPENDSM = 0x0301, MSG_CLOSEDSM = 0x0302, MSG_OPENDS = 0x0401, MSG_CLOSEDS = 0x0402,
                    MSG_USERSELECT = 0x0403, MSG_DISABLEDS = 0x0501, MSG_ENABLEDS = 0x0502,
                    MSG_PROCESSEVENT = 0x0601, MSG_ENDXFER = 0x0701, MSG_REGISTER_CALLBACK = 0x0902;

// Containers, item types, capabilities.
constexpr TW_UINT16 TWON_ONEVALUE = 5, TWON_DONTCARE16 = 0xFFFF;
constexpr TW_UINT16 TWTY_INT16 = 1, TWTY_UINT16 = 4, TWTY_BOOL = 6, TWTY_FIX32 = 7;
constexpr TW_UINT16 CAP_XFERCOUNT = 0x0001, ICAP_PIXELTYPE = 0x0101, ICAP_XFERMECH = 0x0103,
                    ICAP_XRESOLUTION = 0x1118, ICAP_YRESOLUTION = 0x1119;
constexpr TW_UINT16 TWPT_BW = 0, TWPT_GRAY = 1, TWPT_RGB = 2;
constexpr TW_UINT16 TWLG_USA = 13, TWCY_USA = 1;
