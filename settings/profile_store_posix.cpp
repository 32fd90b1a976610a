#include "settings/profile_store.h"

namespace twk {

ProfileStore& systemProfileStore() {
    static PortableProfileStore store;
    return store;
}

}  // namespace twk
