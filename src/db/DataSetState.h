#pragma once

namespace db {

enum class DataSetState { Inactive, Browse, Edit, Insert };

inline bool isEditing(DataSetState s) {
    return s == DataSetState::Edit || s == DataSetState::Insert;
}

} // namespace db
