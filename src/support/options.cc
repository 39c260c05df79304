#include "support/options.h"

namespace kavel {

option_state g_opt;

}  // namespace kavel
