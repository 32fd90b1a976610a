#include "core/row_name.h"

#include <ostream>

namespace twk {

std::ostream& operator<<(std::ostream& out, const RowName& name) {
    return out.write(name.data(), static_cast<std::streamsize>(name.size()));
}

}  // namespace twk
