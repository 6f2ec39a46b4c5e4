#include "test_hook.hpp"

namespace kelvor {

void RunTestHook(HookPoint) {}

}  // namespace kelvor
