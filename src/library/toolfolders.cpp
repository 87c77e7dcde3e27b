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
    ToolFolderRow{ToolFolder::TimedBmp, state::kListBmp, "TCbmp"},
    ToolFolderRow{ToolFolder::TimedJpg, state::kListJpg, "TCjpg"},
    ToolFolderRow{ToolFolder::TimedAvi, state::kListAvi, "TCavi"},
    ToolFolderRow{ToolFolder::VideoToBmp, state::kListBmp, "V2Ibmp"},
    ToolFolderRow{ToolFolder::VideoToJpg, state::kListJpg, "V2Ijpg"},
    ToolFolderRow{ToolFolder::ImagesToVideo, state::kListAvi, "I2Vvid"},
};

} // namespace

QString toolFolderPath(ToolFolder folder, const state::ListPaths &defListPath)
{
    for (const ToolFolderRow &row : kToolFolders)
        if (row.folder == folder)
            return defListPath[row.kind] + u'/' + QLatin1String(row.name);
    return {};
}

bool ensureToolFolder(ToolFolder folder, const state::ListPaths &defListPath)
{
    const QString path = toolFolderPath(folder, defListPath);
    return !path.isEmpty() && QDir().mkpath(path);
}

} // namespace library
