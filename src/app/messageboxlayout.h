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

} // namespace app
