#pragma once

#include "state/globalvar.h"

#include <QString>

namespace library {

// The automation tools' fixed output folders below the default library folders.
enum class ToolFolder { Unknown, TimedBmp, TimedJpg, TimedAvi, VideoToBmp, VideoToJpg, ImagesToVideo };

// DefListPath of the tool's kind + "/" + "TCbmp", "TCjpg", "TCavi", "V2Ibmp", "V2Ijpg" or "I2Vvid";
// empty for Unknown.
QString toolFolderPath(ToolFolder folder, const state::ListPaths &defListPath);
// Creates the folder when it is missing; false when it neither exists nor could be made.
bool ensureToolFolder(ToolFolder folder, const state::ListPaths &defListPath);

} // namespace library
