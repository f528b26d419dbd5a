# Values compiled into every part of the program.

set (STRATOSET_DEFINITIONS
     STRATOSET_VERSION="${PROJECT_VERSION}")

# The maker's servers: a scheme and a host, optionally ":port", without a
# trailing "/". Only src/devices/DeploymentSettings.cpp receives them (see
# stratoset_deployment in CMakeLists.txt).
set (STRATOSET_DOWNLOAD_SERVER "https://download.velmora.com"
     CACHE STRING "The maker's download server (device list in the cn region, packages, pictures)")
set (STRATOSET_CLOUD_SERVER "https://storage.velmora.com"
     CACHE STRING "The host of the cloud storage bucket that publishes the device list")
set (STRATOSET_CHINA_MIRROR_SERVER "http://mirror-cn.velmora.com"
     CACHE STRING "The maker's China mirror server (its list is fetched over http)")

foreach (server STRATOSET_DOWNLOAD_SERVER STRATOSET_CLOUD_SERVER STRATOSET_CHINA_MIRROR_SERVER)
    if (NOT "${${server}}" MATCHES "^https?://[-A-Za-z0-9.:_]+$")
        message (FATAL_ERROR "${server} is \"${${server}}\": it must be a scheme and a host, "
                             "optionally with a port, without a trailing \"/\" "
                             "(for example https://download.velmora.com or http://127.0.0.1:8080)")
    endif()
endforeach()

set (STRATOSET_SERVER_DEFINITIONS
     STRATOSET_DOWNLOAD_SERVER="${STRATOSET_DOWNLOAD_SERVER}"
     STRATOSET_CLOUD_SERVER="${STRATOSET_CLOUD_SERVER}"
     STRATOSET_CHINA_MIRROR_SERVER="${STRATOSET_CHINA_MIRROR_SERVER}")

# The maker, as the program's metadata names it.
set (STRATOSET_COMPANY_NAME "Velmora Studio")

# The names an installer's signer may have: the subject common name of the
# certificate that signed it must equal one of them, letter case aside.
# A list; more than one while the maker's certificate is renewed under a
# new name. Only src/devices/DeploymentSettings.cpp receives them.
set (STRATOSET_PUBLISHER_NAMES "${STRATOSET_COMPANY_NAME}"
     CACHE STRING "The maker's publisher names (a list): the signer of every installer the program starts must bear one")

set (stratoset_publisher_literals "")
foreach (name IN LISTS STRATOSET_PUBLISHER_NAMES)
    string (STRIP "${name}" stripped)
    if (stripped STREQUAL "" OR NOT stripped STREQUAL name OR name MATCHES "[\"\\\\]")
        message (FATAL_ERROR "STRATOSET_PUBLISHER_NAMES holds \"${name}\": each name must be a certificate's "
                             "common name, not empty, without leading or trailing blanks, quotes or backslashes")
    endif()
    list (APPEND stratoset_publisher_literals "\"${name}\"")
endforeach()
if (stratoset_publisher_literals STREQUAL "")
    message (FATAL_ERROR "STRATOSET_PUBLISHER_NAMES is empty: without the maker's publisher names no installer "
                         "could be started (an empty list is not taken as \"no check\")")
endif()
list (JOIN stratoset_publisher_literals "," stratoset_publisher_list)
set (STRATOSET_PUBLISHER_DEFINITIONS "STRATOSET_PUBLISHER_NAMES=${stratoset_publisher_list}")
