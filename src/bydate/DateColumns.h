#pragma once

#include "common/ColumnSchema.h"

namespace rk {

// The files-by-date list: the grid shows the access date before the creation date, the
// clipboard line the other way round (see clipboardLine).
namespace DateColumns {
enum : int { Filename, Accessed, Created, Modified, Folder, Type };

[[nodiscard]] inline ColumnSchema schema() {
    ColumnSchema s;
    s.columns = {{"Filename", 120, false, true, true, SortKind::Text, false},
                 {"Accessed", 68, false, true, true, SortKind::Date, true},
                 {"Created", 68, false, true, true, SortKind::Date, true},
                 {"Modified", 68, false, true, true, SortKind::Date, true},
                 {"Folder", 189, false, false, true, SortKind::Text, false},
                 {"Type", 90, false, true, true, SortKind::Text, false}};
    s.markColumn = Filename;
    s.pathColumn = Folder;
    return s;
}
}  // namespace DateColumns

}  // namespace rk
