#pragma once
// The platform's Windows bitmap reader and writer, working on whole files held in memory.
//
// ReadBmp takes any common form of the format: the 12-byte core header, the 40-byte info header
// and its 52- and 56-byte variants, the version 4 and 5 headers; 1, 4 and 8 bits with a palette,
// 16 bits (5-5-5 or bit fields), 24 bits, 32 bits (plain or bit fields), 8-bit and 4-bit run
// length encoding, rows stored bottom-up or top-down. Indexed files stay indexed at their depth;
// 16- and 24-bit files become 24 bits, 32-bit files 32 bits with the top byte 0. The palette holds
// the entries the file declares (all 2^bpp when it declares none); an index past a short palette
// reads as black. A file declaring more than 256 entries is refused; one declaring more than
// 2^bpp (but at most 256) keeps only the first 2^bpp, and its pixel data may start right after
// those. A palette in a file deeper than 8 bits is skipped. Pixels that run-length data never
// touches stay index 0.
//
// Every malformed file throws EInvalidGraphic ("ビットマップイメージが不正です"). Sizes are
// checked before anything is allocated: an uncompressed file must really contain all its rows,
// and a run-length file's picture size must lie within the platform's limits. Nothing is read
// outside the given bytes.
//
// WriteBmp stores an image as a 40-byte info header file, uncompressed, rows bottom-up, with
// exactly the image's palette (its length is the declared colour count) and its resolution.
// Writing an empty image, an unknown depth, an indexed image without a palette or with more
// entries than its depth can address is a programmer error.

#include "platform/graphics/DibImage.h"

#include <cstdint>
#include <span>
#include <vector>

TDibImage ReadBmp(std::span<const std::uint8_t> file);

std::vector<std::uint8_t> WriteBmp(const TDibImage& image);
