#pragma once
// Device-independent bitmaps as metafiles embed them: header, colour table and bits, in every
// format the bitmap records use.

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace emf::detail {

// Largest bitmap we agree to decode, in pixels; larger ones are skipped rather than allocated.
inline constexpr std::int64_t kMaxDibPixels = 64ll * 1024 * 1024;

// Decodes a bitmap from its BITMAPINFO (bmi, bmiSize bytes) and its bits (bitsSize bytes).
// withAlpha keeps the fourth byte of 32-bit pixels as premultiplied alpha (alpha blending);
// otherwise it is ignored, as the plain blits do. Returns a null image when the data is
// unusable; never reads outside the given ranges.
QImage DecodeDib(const std::uint8_t* bmi, std::size_t bmiSize, const std::uint8_t* bits,
                 std::size_t bitsSize, bool withAlpha = false);

}  // namespace emf::detail
