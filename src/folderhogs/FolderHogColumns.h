#pragma once

#include "common/ColumnSchema.h"

namespace rk {

// The folder-hog list, largest first.
namespace FolderHogColumns {
enum : int { Size, Used, Files, SubFolders, LatestAccess, Name };

[[nodiscard]] inline ColumnSchema schema() {
    ColumnSchema s;
    s.columns = {{"Size", 61, true, true, true, SortKind::Size, true},
                 {"% Used", 40, true},
                 {"# Files", 40, true, true, true, SortKind::Number, true},
                 {"# Sub-folders", 70, true, true, true, SortKind::Number, true},
                 {"Latest File Access", 90, false, true, true, SortKind::Date, true},
                 {"Name", 200, false, false, true, SortKind::Text, false}};
    s.pathColumn = Name;
    s.sizeColumn = Size;
    return s;
}
}  // namespace FolderHogColumns

}  // namespace rk
