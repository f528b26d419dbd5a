# Values compiled into every part of the program.

set (STRATOSET_DEFINITIONS
     STRATOSET_VERSION="${PROJECT_VERSION}")

# The maker, as the program's metadata names it.
set (STRATOSET_COMPANY_NAME "Velmora Studio")
