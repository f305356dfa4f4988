# What the program is called where it is installed: by the desktop (its
# application id, the name of its desktop entry, metadata and icon), by the
# package manager, and by the people who publish it. The version is the
# project's own (project(VERSION) in the top CMakeLists.txt).

# The reverse-DNS application id, the same in every place that names it:
# the desktop entry, the AppStream metadata, the icon theme and the running
# window (QGuiApplication::desktopFileName).
set(KALVOR_APP_ID "org.kalvor.base64")
# The executable and the Debian package (the program's folder in the user's
# data folder bears the same name: communal::UserFolderName).
set(KALVOR_PROGRAM_NAME "kalvor-base64")

set(KALVOR_HOMEPAGE_URL "https://kalvor.org/base64/" CACHE STRING
    "The program's web page, ending in /; it also serves the screenshot of the AppStream metadata")
set(KALVOR_MAINTAINER "Kalvor Base64 developers <maintainers@kalvor.org>" CACHE STRING
    "Name and e-mail address of the package's maintainer")
if(NOT KALVOR_HOMEPAGE_URL MATCHES "^https?://[^/]+/(.*/)?$")
    message(FATAL_ERROR "KALVOR_HOMEPAGE_URL must be an http(s) address ending in /, "
                        "not \"${KALVOR_HOMEPAGE_URL}\"")
endif()
