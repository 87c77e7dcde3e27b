#include "measure/analysisexport.h"

#include "measure/exactnumbers.h"
#include "scales/rulerscale.h"

namespace measure {

double centimetresPerUnit(int scaleUnitIndex)
{
    switch (scaleUnitIndex) {
    case 0: return 0.1;       // mm
    case 1: return 2.54;      // inch
    case 2: return 1e-4;      // um
    case 3: return 0.00254;   // mil
    default: return 0.0;
    }
}

platform::TiffOptions analysisTiffOptions(const scales::RulerScaleControl &scale, QSize picture)
{
    platform::TiffOptions o;
    const double cm = centimetresPerUnit(int(scale.unit));
    const double widthCm = typedValue(scale.hLength) * cm;
    const double heightCm = typedValue(scale.vLength) * cm;
    if (widthCm <= 0 || heightCm <= 0 || picture.width() <= 0 || picture.height() <= 0)
        return o;
    o.xPixelsPerCm = picture.width() / widthCm;
    o.yPixelsPerCm = picture.height() / heightCm;
    o.description = QByteArrayLiteral("ImageJ=1.53t\nunit=cm\n");
    return o;
}

} // namespace measure
