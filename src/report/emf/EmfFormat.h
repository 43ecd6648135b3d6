#pragma once

#include <QByteArray>
#include <cstdint>
#include <cstring>

// Record types, constants and byte-order helpers of the Enhanced Metafile format, limited to
// what report pages use.
namespace report::emf {

enum RecordType : std::uint32_t {
    EMR_HEADER = 1,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_RECTANGLE = 43,
    EMR_LINETO = 54,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
};

constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t kVersion = 0x00010000;
constexpr int kHeaderSize = 108; // with the pixel-format and micrometre extensions
constexpr int kEofSize = 20;
constexpr int kMinimumSize = kHeaderSize + kEofSize;

// Stock objects are selected by index with the high bit set.
constexpr std::uint32_t kStockObject = 0x80000000;
constexpr std::uint32_t WHITE_BRUSH = 0;
constexpr std::uint32_t NULL_BRUSH = 5;
constexpr std::uint32_t BLACK_PEN = 7;
constexpr std::uint32_t NULL_PEN = 8;

enum MapMode : std::uint32_t { MM_TEXT = 1, MM_ANISOTROPIC = 8 };
enum BkMode : std::uint32_t { TRANSPARENT = 1, OPAQUE = 2 };
enum PenStyle : std::uint32_t { PS_SOLID = 0, PS_NULL = 5 };
enum BrushStyle : std::uint32_t { BS_SOLID = 0, BS_NULL = 1 };
enum TextAlign : std::uint32_t { TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0 };
enum TextOptions : std::uint32_t { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
constexpr std::uint32_t GM_COMPATIBLE = 1;

// The reference device every page is recorded for: a 96-dpi screen whose size in pixels is
// an exact number of millimetres (1920 px = 508 mm, 1440 px = 381 mm).
constexpr int kRefDpi = 96;
constexpr int kRefDevicePx[2] = {1920, 1440};
constexpr int kRefDeviceMm[2] = {508, 381};

// Colours are stored as 0x00BBGGRR.
using ColorRef = std::uint32_t;

inline std::uint32_t readU32(const char *p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v; // little-endian hosts only (x86-64, arm64)
}
inline std::int32_t readI32(const char *p) {
    return std::int32_t(readU32(p));
}
inline std::uint16_t readU16(const char *p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void appendU32(QByteArray &out, std::uint32_t v) {
    out.append(reinterpret_cast<const char *>(&v), 4);
}
inline void appendI32(QByteArray &out, std::int32_t v) {
    appendU32(out, std::uint32_t(v));
}
inline void appendU16(QByteArray &out, std::uint16_t v) {
    out.append(reinterpret_cast<const char *>(&v), 2);
}
inline void putU32(QByteArray &out, int offset, std::uint32_t v) {
    std::memcpy(out.data() + offset, &v, 4);
}

} // namespace report::emf
