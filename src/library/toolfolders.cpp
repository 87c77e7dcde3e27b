#include "toolfolders.h"

#include <QDir>

#include <array>

namespace library {

namespace {

struct ToolFolderRow {
    ToolFolder folder;
    int kind;
    const char *name;
};

constexpr std::array kToolFolders{
    ToolFolderRow{ToolFolder::TimedBmp, app::kListBmp, "TCbmp"},
    ToolFolderRow{ToolFolder::TimedJpg, app::kListJpg, "TCjpg"},
    ToolFolderRow{ToolFolder::TimedAvi, app::kListAvi, "TCavi"},
    ToolFolderRow{ToolFolder::VideoToBmp, app::kListBmp, "V2Ibmp"},
    ToolFolderRow{ToolFolder::VideoToJpg, app::kListJpg, "V2Ijpg"},
    ToolFolderRow{ToolFolder::ImagesToVideo, app::kListAvi, "I2Vvid"},
};

} // namespace

QString toolFolderPath(ToolFolder folder, const app::ListPaths &defListPath)
{
    for (const ToolFolderRow &row : kToolFolders)
        if (row.folder == folder)
            return defListPath[row.kind] + u'/' + QLatin1String(row.name);
    return {};
}

bool ensureToolFolder(ToolFolder folder, const app::ListPaths &defListPath)
{
    const QString path = toolFolderPath(folder, defListPath);
    return !path.isEmpty() && QDir().mkpath(path);
}

} // namespace library
