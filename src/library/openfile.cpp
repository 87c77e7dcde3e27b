#include "openfile.h"

namespace library {

OpenFilePlan openFilePlan(int page, bool viewerOpen, const QString &userDataDir)
{
    OpenFilePlan plan;
    if (viewerOpen && page == 2) {
        plan.turnToJpgPage = true;
        page = 1;
    }
    switch (page) {
    case 0:
        plan.startFolder = userDataDir + QStringLiteral("DATA/Image/Bmp/");
        break;
    case 2:
        plan.video = true;
        plan.startFolder = userDataDir + QStringLiteral("DATA/Video");
        break;
    default:
        plan.filterIndex = 2;
        plan.startFolder = userDataDir + QStringLiteral("DATA/Image/Jpg/");
        break;
    }
    return plan;
}

platform::DecodedPicture loadPictureAs(const QString &path, int filterIndex)
{
    return platform::readPictureFile(path, {}, filterIndex == 2 ? platform::PictureKind::Jpeg : platform::PictureKind::Bmp);
}

} // namespace library
