#include "controltable.h"

namespace state {

std::optional<ControlId> controlByName(std::string_view name)
{
    for (const ControlRow &row : kControlTable)
        if (row.name == name)
            return row.id;
    return std::nullopt;
}

} // namespace state
