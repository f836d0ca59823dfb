#pragma once

#include "common/ColumnSchema.h"

namespace rk {

// The browser's file grid: one folder's files, in name order until a sort item says otherwise.
namespace BrowseColumns {
enum : int { Modified, Time, Access, Size, Filename, Type };

[[nodiscard]] inline ColumnSchema schema() {
    ColumnSchema s;
    s.columns = {{"Modified", 69, false, true, true, SortKind::Date, true},
                 {"Time", 66},
                 {"Access", 66, false, true, true, SortKind::Date, true},
                 {"Size", 65, true, true, true, SortKind::Number, true},
                 {"Filename", 101, false, true, true, SortKind::Text, false},
                 {"Type", 90, false, true, true, SortKind::Text, false}};
    s.markColumn = Filename;
    s.pathColumn = Filename;
    s.sizeColumn = Size;
    return s;
}
}  // namespace BrowseColumns

}  // namespace rk
