#pragma once
// Turning a picture upright by the Orientation tag its file carries (Exif, TIFF tag 274): the value
// says how the stored rows lie in the upright picture, 1 upright, 2 mirrored left to right, 3 half a
// turn, 4 mirrored top to bottom, 5 to 8 the same four with the sides exchanged. Pictures of any depth
// (1, 8 or 24 bits) keep their palette; the resolutions swap places with the sides.

class CRasterImage;

// True for the values 5 to 8, whose upright picture has the stored height as its width.
bool OrientationSwapsSides(int orientation);

// Turns `picture` upright in place by `orientation`; 1 and values outside 1..8 leave it as it is.
// kImageErrNoPixels for an empty picture, kImageErrOutOfMemory when a quarter turn cannot be allocated
// (the picture is then left as stored).
int TurnUpright(CRasterImage& picture, int orientation);
