#include "controltable.h"

namespace state {

std::optional<ControlId> controlByName(std::string_view name)
{
    for (const ControlSpec &spec : kControlTable)
        if (spec.name == name)
            return spec.id;
    return std::nullopt;
}

} // namespace state
