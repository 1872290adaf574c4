#pragma once
// CConversionObserver: told by the conversion update what changed, so the crop frame on the source
// thumbnail and the output thumbnail with its "File Info" text follow. The main window implements it;
// the conversion holds a non-owning pointer.

class CConversionObserver {
public:
    virtual ~CConversionObserver() = default;
    // The crop window moved: redraw the crop frame from the settings' cropRect.
    virtual void UpdateSourceRegion() = 0;
    // The output image changed: rebuild the output thumbnail and the file information.
    virtual void UpdateOutputPreview() = 0;
};
