# Values compiled into every part of the program.

set (STRATOSET_DEFINITIONS
     STRATOSET_VERSION="${PROJECT_VERSION}")
