#include "common/ColumnSchema.h"

#include "common/TextHelpers.h"

namespace rk {

QString recordField(const QString& record, int column) {
    return tabField(record, column + 1);
}

}  // namespace rk
