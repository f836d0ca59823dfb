#pragma once

#include "common/ColumnSchema.h"

namespace rk {

// The duplicate list: grouped by name, never re-sorted.
namespace DupColumns {
enum : int { Filename, Size, Modified, Time, Access, Folder, Type };

[[nodiscard]] inline ColumnSchema schema() {
    ColumnSchema s;
    s.columns = {{"Filename", 93}, {"Size in K", 54, true},       {"Modified", 64}, {"Time", 70},
                 {"Access", 70},   {"Folder", 184, false, false}, {"Type", 90}};
    s.markColumn = Filename;
    s.pathColumn = Folder;
    s.sizeColumn = Size;
    return s;
}
}  // namespace DupColumns

// The file-hog list, largest first.
namespace HogColumns {
enum : int { Size, Modified, Time, Access, FileName, Type };

[[nodiscard]] inline ColumnSchema schema() {
    ColumnSchema s;
    s.columns = {{"Size in K", 54, true, true, true, SortKind::Size, true},
                 {"Modified", 64, false, true, true, SortKind::Date, true},
                 {"Time", 64},
                 {"Access", 64, false, true, true, SortKind::Date, true},
                 {"FileName", 296, false, false, true, SortKind::Text, false},
                 {"Type", 90, false, true, true, SortKind::Text, false}};
    s.markColumn = FileName;
    s.pathColumn = FileName;
    s.sizeColumn = Size;
    return s;
}
}  // namespace HogColumns

}  // namespace rk
