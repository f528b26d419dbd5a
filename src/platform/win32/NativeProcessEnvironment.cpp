#include "platform/ProcessEnvironment.h"

namespace platform
{
bool isDisplayAvailable()
{
    return true;
}

void prepareProcessEnvironment()
{
}
} // namespace platform
