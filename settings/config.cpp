#include "settings/config.h"

namespace mirel {

TsDeskCFG DeskCFG;

}  // namespace mirel
