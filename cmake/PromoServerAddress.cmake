# The promotion server's base URL, built into the program and into the
# promotion tools. It is the one place that names the server: the program's
# settings address, the tools' defaults and the local server's port all come
# from it.
set(KALVOR_PROMO_BASE_URL "http://127.0.0.1:8064/" CACHE STRING
    "Base URL of the promotion server, an http(s) address ending in /")
if(NOT KALVOR_PROMO_BASE_URL MATCHES "^(https?)://([^/:]+|\\[[^]]+\\])(:([0-9]+))?/(.*/)?$")
    message(FATAL_ERROR "KALVOR_PROMO_BASE_URL must be an http(s) address ending in /, "
                        "not \"${KALVOR_PROMO_BASE_URL}\"")
endif()
set(KALVOR_PROMO_HOST "${CMAKE_MATCH_2}")
if(CMAKE_MATCH_4)
    set(KALVOR_PROMO_PORT "${CMAKE_MATCH_4}")
elseif(CMAKE_MATCH_1 STREQUAL "https")
    set(KALVOR_PROMO_PORT 443)
else()
    set(KALVOR_PROMO_PORT 80)
endif()

# A header-only target with the address, for the program and the tools.
set(promo_address_dir ${PROJECT_BINARY_DIR}/generated/promo_address)
configure_file(${CMAKE_CURRENT_LIST_DIR}/PromoServerAddress.h.in
               ${promo_address_dir}/PromoServerAddress.h @ONLY)
add_library(promo_address INTERFACE)
target_include_directories(promo_address INTERFACE ${promo_address_dir})
