#include "app/StratosetApplication.h"

START_JUCE_APPLICATION (StratosetApplication)
