#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "imaging/filters.h"
#include "platform/bitmap.h"

#include <QObject>

namespace imaging {
class StillDocument;
}

namespace imaging::ui {

class StillImageView;

// What the filter mode needs from its peers; the composition root answers. UI thread.
class FilterPort
{
public:
    // Entering the filters leaves the still-image editor; resetting the filter buttons resets the
    // editor's tool (draw style None, its check buttons up, no tool, no drag) while it is open.
    virtual void leaveEditor() = 0;
    virtual void resetEditorTool() = 0;

protected:
    ~FilterPort() = default;
};

// The filter mode: the image-process button, the filter tool bar and its slider, and the five
// filters over the still picture. Every run starts from the still document's `FilterSource`, the
// picture as it was before any filter, so filters and slider positions never compound; leaving
// after a filter asks whether the filtered picture replaces the source. The only writer of
// ImageProcessMode. UI thread.
class FilterController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    FilterController(feature::ui::FeatureContext context, FilterPort &port, StillDocument &document, StillImageView &view,
                     QObject *parent = nullptr);

    // Enters the mode, or leaves it (and trims the heap).
    void ImageProcess_BtnClick();
    // Shows the tool bar with the slider disabled.
    void EntryImageProcess();
    // Leaves the mode if it is on: after a filter, asks whether to keep the filtered picture when
    // the still image can be seen (the "Normal" layout or the image viewer).
    void ExitImageProcess();
    // A filter button was pressed or released (its checked state is the new one).
    void filterButtonClick(imaging::FilterKind kind);
    void ImaPro_ScrollBarChange(int position);
    // Back to the source picture, all buttons up.
    void ImaPro_Original_BtnClick();
    // Runs the current filter on `FilterSource` with the slider's position and shows the result;
    // it also becomes the editor's committed picture.
    void ImageProcess_Function();
    // Releases the filter buttons (and, through the port, the editor's tool) and clears the
    // filter-applied flag. The editor calls it too.
    void ImaProToolBtn_Reset();
    // Takes the picture shown (as the editor last committed it) as the new `FilterSource`. The
    // document does it too whenever a new picture is put in place, saved, or the editor is left.
    void Imageprocess_CopyTemp();

    imaging::FilterKind filterKind() const { return kind_; }
    const platform::Bitmap &filterSource() const;

    void readInputs(feature::ActionInputs &in) const override;

private:
    void onDocumentChanged(int change);
    // The slider's position beside it while the slider is in use (complement, binary); nothing
    // while it is disabled.
    void showSliderValue();

    feature::ui::FeatureContext ctx_;
    FilterPort &port_;
    StillDocument &document_;
    StillImageView &view_;
    platform::Bitmap work_;     // FilterWork: output of the neighbourhood filters
    imaging::FilterKind kind_ = imaging::FilterKind::None;
};

} // namespace imaging::ui
