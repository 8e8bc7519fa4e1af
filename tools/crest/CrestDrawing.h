#pragma once
// The crest that shapes the program's window: a ring whose outer edge touches all four sides of a
// 600 x 600 square, 73 pixels wide across the middle row and column, around a bold eight-pointed
// star whose points run into the ring. The window region is taken from it pixel by pixel, so the
// drawing is exact and deterministic: every pixel is decided by a test at its centre, without
// antialiasing, and the same build of the generator always writes the same bytes.
//
// DrawCrest returns a new 4-bit image that the caller owns; the standard edition has a 3-entry
// palette with the ring and the star black on magenta, the reverse edition a 16-entry palette with
// them magenta on black. Both carry 2834 pixels per metre. CrestPartAt says what a pixel shows and
// is the one place that decides the shape; both editions draw from it.

#include "platform/graphics/DibImage.h"

enum TCrestEdition { ceStandard, ceReverse };

enum TCrestPart { cpGround, cpRing, cpMark };

constexpr int CrestSize = 600;

// What the pixel at (x, y) (top row 0) shows; x and y lie in [0, CrestSize).
TCrestPart CrestPartAt(int x, int y);

TDibImage DrawCrest(TCrestEdition edition);

// The file name the generator gives an edition's crest: "crest-standard.bmp" or "crest-reverse.bmp".
const char* CrestFileName(TCrestEdition edition);
