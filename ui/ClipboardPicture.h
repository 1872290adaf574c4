#pragma once
// The output picture to the clipboard, and a clipboard picture into the document as its source.

class CRasterImage;
class CVantorelDoc;

// Puts `picture` on the clipboard as an image (any depth; shown in colour). Nothing for an empty one.
void CopyPictureToClipboard(const CRasterImage& picture);
// Makes the clipboard's image the document's source, as an untitled picture named "Pasted"; false when
// the clipboard holds no image or the document refuses it (over the pixel budget, out of memory).
bool PasteClipboardPicture(CVantorelDoc& document);
