#include "platform/Typefaces.h"

namespace platform
{
juce::Typeface::Ptr getStandInTypeface (const juce::String&)
{
    return nullptr;
}
} // namespace platform
