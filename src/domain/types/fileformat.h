#pragma once

#include <QtCore/QMetaType>

namespace quelta::domain::types {

// The file formats a user can choose for exports and reports.
enum class FileFormat : int {
    PDF = 1,
    EXCEL = 2,
    CSV = 3,
    WORD = 4,
    XML = 5,
    HTML = 6
};

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::FileFormat)
