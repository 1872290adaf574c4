#pragma once
// Turning a picture by a quarter: the pixels of any depth (1, 8 or 24 bits) move to their place in the
// turned picture, and the palette and resolution come along, the horizontal and vertical resolutions
// swapping places with the sides.

class CRasterImage;

// Makes `turned` `picture` turned by 90 degrees: clockwise when `clockwise`, else counter-clockwise.
// kImageErrNoPixels for an empty picture, kImageErrOutOfMemory when the turned picture cannot be
// allocated; `turned` is empty after a failure.
int RotateQuarterTurn(const CRasterImage& picture, CRasterImage& turned, bool clockwise);
