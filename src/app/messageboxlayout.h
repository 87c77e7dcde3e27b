#pragma once

namespace app {

// Where the message box puts its buttons: the dialog is as wide as the text (plus margins) but
// never narrower than the two buttons; with Cancel, OK sits at a third and Cancel at two thirds,
// pushed apart evenly when they would come closer than 20 pixels.
struct MessageBoxGeometry {
    int dialogWidth = 0;
    int okCentre = 0;
    int cancelCentre = 0;
};

MessageBoxGeometry layoutMessageBox(int labelLeft, int labelWidth, int okWidth, int cancelWidth, bool withCancel);

// Where a long text wraps: lines no longer than a comfortable reading width, and the dialog
// (label, its left indent and right margin) never wider than the window it speaks for.
constexpr int kMessageWrapWidth = 420;
// The label width for a text whose single line is `naturalWidth` pixels (air included): the text
// as it is when it fits, otherwise the wrap width, narrowed to fit `windowWidth` (0: no window).
int messageTextWidth(int naturalWidth, int labelLeft, int windowWidth);

} // namespace app
